#include "driver.h"

#include <QDir>

#include "dialogos.h"

QString TDriverSAT::NomeBiblioteca() {
#ifdef Q_OS_WIN
  return QStringLiteral("SAT.DLL");
#else
  return QStringLiteral("libcfedriver.so");
#endif
}

bool TDriverSAT::CarregaDLL(const QString &pasta, const QString &nome, Dialogos &dialogos) {
  const QString caminho = QDir(pasta).filePath(nome);
  biblioteca.setFileName(caminho);
  if (!biblioteca.load()) {
    dialogos.Mensagem(nullptr, QStringLiteral("Erro!"), QStringLiteral("Erro ao carregar a DLL: ") + QDir::toNativeSeparators(caminho),
                      Dialogos::Icone::Erro);
    return false;
  }
  LigaTodas();
  return true;
}

bool TDriverSAT::CarregaDoSistema(const QString &soname) {
  biblioteca.setFileName(soname);
  if (!biblioteca.load()) return false;
  LigaTodas();
  return true;
}

void TDriverSAT::LigaTodas() {
  Liga(ComunicarCertificadoICPBRASIL);
  Liga(EnviarDadosVenda);
  Liga(CancelarUltimaVenda);
  Liga(ConsultarSAT);
  Liga(TesteFimAFim);
  Liga(ConsultarStatusOperacional);
  Liga(ConsultarNumeroSessao);
  Liga(AssociarAssinatura);
  Liga(AtualizarSoftwareSAT);
  Liga(ExtrairLogs);
  Liga(BloquearSAT);
  Liga(DesbloquearSAT);
  Liga(TrocarCodigoDeAtivacao);
  Liga(ConfigurarInterfaceDeRede);
  Liga(AtivarSAT);
  Liga(ConsultarUltimaSessaoFiscal);
  Liga(SetDriver);
}

QByteArray TextoParaDriver(const QString &texto) {
#ifdef Q_OS_WIN
  return texto.toLocal8Bit();
#else
  return texto.toLatin1();
#endif
}

QString TextoDoDriver(const QByteArray &bytes) { return QString::fromUtf8(bytes); }
