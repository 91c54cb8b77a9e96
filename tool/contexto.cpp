#include "contexto.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>

#include "msefaz.h"
#include "painelstatus.h"
#include "pages/pagina.h"

Ambiente Ambiente::Padrao(Dialogos &dialogos) {
  Ambiente a;
  a.pastaPrograma = QCoreApplication::applicationDirPath();
  a.arquivoParametros = QDir::current().filePath(QStringLiteral("Parametros.xml"));
  a.bibliotecaDoSistema = QStringLiteral(CFE_SONAME);
  a.pastaDados = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
  a.dialogos = &dialogos;
  return a;
}

Contexto::Contexto(const Ambiente &a)
    : cds(a.arquivoParametros),
      sessoes(a.relogio),
      dialogos(*a.dialogos),
      pastaPrograma(a.pastaPrograma),
      bibliotecaDoSistema(a.bibliotecaDoSistema),
      pastaDados(a.pastaDados) {}

QString Contexto::ArquivoPrograma(const QString &nome) const { return QDir(pastaPrograma).filePath(nome); }

QString Contexto::ArquivoGravavel(const QString &nome) const {
  if (QFileInfo(pastaPrograma).isWritable() || pastaDados.isEmpty()) return ArquivoPrograma(nome);
  QDir().mkpath(pastaDados);  // a failure shows when the file is written
  return QDir(pastaDados).filePath(nome);
}

void Contexto::Mensagem(const QString &texto) { dialogos.Mensagem(janela, QString(), texto, Dialogos::Icone::Nenhum); }

bool Contexto::Confirma(const QString &texto, Dialogos::Icone icone) {
  return dialogos.Confirma(janela, QString(), texto, icone);
}

void Contexto::CursorWait() {
  if (painelStatus) {
    painelStatus->Mostra(QStringLiteral("Aguardando retorno do SAT ..."));
    // The call blocks the event loop: paint the waiting text now.
    painelStatus->repaint();
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void Contexto::CursorDefault() {
  if (painelStatus) painelStatus->Mostra(QString());
  QApplication::restoreOverrideCursor();
  if (painelStatus) painelStatus->repaint();
}

void Contexto::mostrastatus(const QByteArray &texto) {
  if (!painelStatus) return;
  const QString decodificado = TextoDoDriver(texto);
  const QList<uint> caracteres = decodificado.toUcs4();
  if (caracteres.size() > 110) {
    painelStatus->Mostra(QString::fromUcs4(reinterpret_cast<const char32_t *>(caracteres.constData()), 110) +
                             QStringLiteral(" ..."),
                         decodificado);
  } else {
    painelStatus->Mostra(decodificado, decodificado);
  }
}

void Contexto::MostraMSefaz() {
  const auto &campos = estado.CamposResposta;
  if (campos.size() < 2) return;
  int codigo = 3;
  int minimo = 4;  // more than 3 fields
  if (campos[1].left(3) == "130") {
    // AssociarAssinatura: the SEFAZ fields sit one position later.
    codigo = 4;
    minimo = 5;
  }
  if (campos.size() < minimo || campos[codigo].isEmpty()) return;
  const QString mensagem = codigo + 1 < campos.size() ? TextoDoDriver(campos[codigo + 1]) : QString();
  msefaz->MemoSefaz->setPlainText(QStringLiteral("Código: ") + TextoDoDriver(campos[codigo]) + QStringLiteral("\n\n") +
                                  mensagem);
  dialogos.MostraModal(*msefaz);
}

QByteArray Contexto::Campo(int i) const {
  if (i < 0 || i >= estado.CamposResposta.size()) throw CampoAusente();
  return estado.CamposResposta[i];
}

QString Contexto::CampoTexto(int i) const { return TextoDoDriver(Campo(i)); }

QString Contexto::MensagemResposta() const {
  return TextoDoDriver(Campo(1) + QByteArrayLiteral(": ") + Campo(2));
}

void Contexto::EntradaAusente(const char *nome) {
  dialogos.Mensagem(janela, QString(),
                    QStringLiteral("Erro: a função %1 não foi encontrada em %2.")
                        .arg(QString::fromLatin1(nome), TDriverSAT::NomeBiblioteca()),
                    Dialogos::Icone::Erro);
}

void Contexto::IniciaChamada() {
  CursorWait();
  estado.SessaoAtual = sessoes.geranumsessao();
}

void Contexto::TerminaChamada(const char *resposta) {
  estado.UltimaResposta = resposta ? QByteArray(resposta) : QByteArray();
  CursorDefault();
  if (Edit1) Edit1->setText(estado.SessaoAtual);
  mostrastatus(estado.UltimaResposta);
  estado.CamposResposta.clear();
  ExtractStrings2(QByteArrayLiteral("|"), QByteArray(), estado.UltimaResposta, estado.CamposResposta);
}

void Contexto::MostraPagina(QWidget *pagina) {
  if (!PageControl || !pagina) return;
  if (PageControl->currentWidget() == pagina) return;
  PageControl->setCurrentWidget(pagina);
  if (auto *p = qobject_cast<Pagina *>(pagina)) p->AoEntrar();
}

QWidget *Contexto::PaginaVisivel() const { return PageControl ? PageControl->currentWidget() : nullptr; }
