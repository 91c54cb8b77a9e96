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

namespace {

// The lookup positions of the table's column ordemTool, in the table's order.
#define CFE_ORDEM(nome, parametros, argumentos, ordemTool, ...) ordemTool,
constexpr int kOrdens[] = {CFE_FUNCOES(CFE_ORDEM, CFE_ORDEM)};
#undef CFE_ORDEM
constexpr int kNumEntradas = sizeof kOrdens / sizeof kOrdens[0];

// Each position from 1 to the number of entry points once, so that every one is looked up.
constexpr bool CadaPosicaoUmaVez() {
  for (int posicao = 1; posicao <= kNumEntradas; ++posicao) {
    int vezes = 0;
    for (int ordem : kOrdens) vezes += ordem == posicao;
    if (vezes != 1) return false;
  }
  return true;
}
static_assert(CadaPosicaoUmaVez(), "ordemTool must number the entry points 1, 2, ... once each");

}  // namespace

void TDriverSAT::LigaTodas() {
  // In the order of the column ordemTool, the order in which the tool has
  // always looked them up.
#define CFE_LIGA(nome, parametros, argumentos, ordemTool, ...) \
  if (ordemTool == posicao) Liga(nome);
  for (int posicao = 1; posicao <= kNumEntradas; ++posicao) {
    CFE_FUNCOES(CFE_LIGA, CFE_LIGA)
  }
#undef CFE_LIGA
}

QByteArray TextoParaDriver(const QString &texto) {
#ifdef Q_OS_WIN
  return texto.toLocal8Bit();
#else
  return texto.toLatin1();
#endif
}

QString TextoDoDriver(const QByteArray &bytes) { return QString::fromUtf8(bytes); }
