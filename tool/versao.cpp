#include "versao.h"

#include <QByteArrayView>
#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>

#include <vector>

// On Windows the version is the file's version resource (cfetool.rc): the
// FileVersion text of the first language and code page it lists.
QString GetEXEVersionData(const QString &arquivo) {
  const std::wstring caminho = arquivo.toStdWString();
  DWORD ignorado = 0;
  const DWORD tamanho = GetFileVersionInfoSizeW(caminho.c_str(), &ignorado);
  if (tamanho == 0) return {};
  std::vector<char> dados(tamanho);
  if (!GetFileVersionInfoW(caminho.c_str(), 0, tamanho, dados.data())) return {};
  void *traducao = nullptr;
  UINT n = 0;
  if (!VerQueryValueW(dados.data(), L"\\VarFileInfo\\Translation", &traducao, &n) || n < 2 * sizeof(WORD)) return {};
  const WORD *par = static_cast<const WORD *>(traducao);
  const std::wstring bloco =
      QString::asprintf("\\StringFileInfo\\%.4x%.4x\\FileVersion", par[0], par[1]).toStdWString();
  void *texto = nullptr;
  if (!VerQueryValueW(dados.data(), bloco.c_str(), &texto, &n) || n == 0) return {};
  QString versao = QString::fromWCharArray(static_cast<const wchar_t *>(texto), int(n));
  while (versao.endsWith(QChar(0))) versao.chop(1);
  return versao;
}

#else

namespace {

// The version record. CFETOOL_VERSAO comes from the project version in CMake,
// and only this file is compiled with it. The record is kept in the binary
// even though no code reads the variable: GetEXEVersionData finds it in the file.
[[gnu::used]] constexpr char kRegistroVersao[] = "\nCFETOOL:FileVersion=" CFETOOL_VERSAO "\n";

constexpr QByteArrayView kChave = "CFETOOL:FileVersion=";

bool CaractereDeVersao(char c) { return (c >= '0' && c <= '9') || c == '.'; }

}  // namespace

QString GetEXEVersionData(const QString &arquivo) {
  QFile f(arquivo);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const qint64 tamanho = f.size();
  uchar *mapa = f.map(0, tamanho);
  if (!mapa) return {};
  const QByteArrayView conteudo(reinterpret_cast<const char *>(mapa), tamanho);
  QString versao;
  // The key's own text is in the file too; the record is the one followed by a version.
  for (qsizetype i = conteudo.indexOf(kChave); i >= 0; i = conteudo.indexOf(kChave, i + 1)) {
    qsizetype fim = i + kChave.size();
    while (fim < conteudo.size() && CaractereDeVersao(conteudo[fim])) ++fim;
    if (fim > i + kChave.size() && fim < conteudo.size() && conteudo[fim] == '\n') {
      versao = QString::fromLatin1(conteudo.sliced(i + kChave.size(), fim - i - kChave.size()));
      break;
    }
  }
  f.unmap(mapa);
  return versao;
}

#endif

QString TamanhoPalavra() { return QStringLiteral("(%1 bits)").arg(sizeof(void *) * 8); }
