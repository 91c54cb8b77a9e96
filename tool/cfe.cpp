#include "cfe.h"

#include <QSaveFile>

std::optional<QByteArray> DecodificaBase64(const QByteArray &campo) {
  QByteArray limpo = campo;
  limpo.replace('\r', QByteArray()).replace('\n', QByteArray());
  auto resultado = QByteArray::fromBase64Encoding(limpo, QByteArray::AbortOnBase64DecodingErrors);
  if (!resultado) return std::nullopt;
  return *resultado;
}

QList<QByteArray> DivideLinhas(const QByteArray &texto) {
  QList<QByteArray> linhas;
  qsizetype inicio = 0;
  qsizetype i = 0;
  while (i < texto.size()) {
    const char c = texto.at(i);
    if (c == '\r' || c == '\n') {
      linhas.append(texto.mid(inicio, i - inicio));
      if (c == '\r' && i + 1 < texto.size() && texto.at(i + 1) == '\n') ++i;
      inicio = ++i;
    } else {
      ++i;
    }
  }
  if (inicio < texto.size()) linhas.append(texto.mid(inicio));
  return linhas;
}

QByteArray CFeDaRespostaDeVenda(const QByteArray &resposta) {
  QByteArray comQuebras = resposta;
  comQuebras.replace('|', '\n');
  const QList<QByteArray> linhas = DivideLinhas(comQuebras);
  // Line 5 is the SEFAZ message: taking it into the Base64 text would turn
  // any message into a corrupted CFe, so the CFe starts at line 6.
  QByteArray cfe;
  for (qsizetype i = 6; i <= linhas.size() - 6; ++i) cfe += linhas[i];
  return cfe;
}

bool GravaLinhasCRLF(const QString &arquivo, const QList<QByteArray> &linhas) {
  QSaveFile f(arquivo);
  if (!f.open(QIODevice::WriteOnly)) return false;
  for (const QByteArray &linha : linhas) {
    if (f.write(linha) < 0 || f.write("\r\n", 2) < 0) {
      f.cancelWriting();
      return false;
    }
  }
  return f.commit();
}

namespace {

QString E(const char *nome, const QString &conteudo) {
  const QString n = QString::fromLatin1(nome);
  return u'<' + n + u'>' + conteudo + QStringLiteral("</") + n + u'>';
}

QString E(const char *nome, const char *conteudo) { return E(nome, QString::fromLatin1(conteudo)); }

}  // namespace

QString XmlVendaTeste(bool producao, const QString &cnpjContribuinte, const QString &ieContribuinte,
                      const QString &cnpjSoftwareHouse, const QString &assinatura) {
  const QString ide = E("ide", E("CNPJ", producao ? cnpjSoftwareHouse : QString(14, u'0')) +
                                   E("signAC", producao ? assinatura : QString(344, u'0')) +
                                   E("numeroCaixa", "099"));
  const QString emitente = E("emit", E("CNPJ", cnpjContribuinte) + E("IE", producao ? ieContribuinte : QString(12, u'0')) +
                                     E("cRegTribISSQN", "1") + E("indRatISSQN", "N"));
  const QString dest = producao ? E("dest", E("CNPJ", "48291736000192")) : QStringLiteral("<dest/>");
  const QString prod = E("prod", E("cProd", "001") + E("xProd", "MiniPc Norvi") + E("CFOP", "5001") + E("uCom", "UN") +
                                     E("qCom", "1.0000") + E("vUnCom", "654.320") + E("indRegra", "A"));
  const QString imposto =
      E("imposto", E("vItem12741", "1.00") +
                       E("ICMS", E("ICMS00", E("Orig", "0") + E("CST", "00") + E("pICMS", "12.00"))) +
                       E("PIS", E("PISAliq", E("CST", "01") + E("vBC", "654.32") + E("pPIS", "0.0600"))) +
                       E("COFINS", E("COFINSAliq", E("CST", "01") + E("vBC", "654.32") + E("pCOFINS", "0.0400"))));
  const QString det = QStringLiteral("<det nItem=\"1\">") + prod + imposto + QStringLiteral("</det>");
  const QString total = E("total", E("vCFeLei12741", "1.00"));
  const QString pgto = E("pgto", E("MP", E("cMP", "01") + E("vMP", "2000.00")));
  return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe versaoDadosEnt=\"0.08\">") + ide + emitente +
         dest + det + total + pgto + QStringLiteral("</infCFe></CFe>");
}

QString Separador() { return QString(54, u'-'); }
