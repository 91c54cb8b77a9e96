#include "campos.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <limits>

QString Apara(const QString &texto) {
  qsizetype inicio = 0;
  qsizetype fim = texto.size();
  while (inicio < fim && texto.at(inicio).unicode() <= 32) ++inicio;
  while (fim > inicio && texto.at(fim - 1).unicode() <= 32) --fim;
  return texto.mid(inicio, fim - inicio);
}

namespace {

int DigitoVerificador(const QString &v, int quantos) {
  // Weights 2..9 then again from 2, applied from the last character back.
  int soma = 0;
  int peso = 2;
  for (int i = quantos - 1; i >= 0; --i) {
    soma += v.at(i).digitValue() * peso;
    peso = peso == 9 ? 2 : peso + 1;
  }
  const int r = soma % 11;
  return r < 2 ? 0 : 11 - r;
}

}  // namespace

bool isCNPJ(const QString &v) {
  for (char c = '0'; c <= '9'; ++c) {
    if (v == QString(14, QLatin1Char(c))) return false;
  }
  if (v.size() != 14) return false;
  for (QChar c : v) {
    if (c < u'0' || c > u'9') return false;
  }
  const int d1 = DigitoVerificador(v, 12);
  const int d2 = DigitoVerificador(v, 13);  // uses the 13th character as typed
  return v.at(12).digitValue() == d1 && v.at(13).digitValue() == d2;
}

const std::array<UF, 27> TabelaUF = {{
    {"AC", "12"}, {"AL", "27"}, {"AM", "13"}, {"AP", "16"}, {"BA", "29"}, {"CE", "23"}, {"DF", "53"},
    {"ES", "32"}, {"GO", "52"}, {"MA", "21"}, {"MG", "31"}, {"MS", "50"}, {"MT", "51"}, {"PA", "15"},
    {"PB", "25"}, {"PE", "26"}, {"PI", "22"}, {"PR", "41"}, {"RJ", "33"}, {"RN", "24"}, {"RO", "11"},
    {"RR", "14"}, {"RS", "43"}, {"SC", "42"}, {"SE", "28"}, {"SP", "35"}, {"TO", "17"},
}};

GeradorSessao::GeradorSessao(Relogio r) : relogio(std::move(r)) {}

QString GeradorSessao::NumeroDoHorario(const QTime &hora) {
  const uint32_t seed =
      static_cast<uint32_t>(hora.hour() * 999 + hora.minute() * 9999 + hora.second() + hora.msec() * 34463) % 65536;
  const uint32_t x = seed * 134775813u + 1u;  // wraps modulo 2^32
  const uint64_t n = (static_cast<uint64_t>(x) * 999998u >> 32) + 1;
  return QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0'));
}

QString GeradorSessao::geranumsessao() {
  for (;;) {
    // Within the same millisecond the same number comes again: read the clock
    // until it has moved on.
    const QString texto = NumeroDoHorario(relogio());
    if (std::find(HistoricoSessoes.begin(), HistoricoSessoes.end(), texto) != HistoricoSessoes.end()) continue;
    HistoricoSessoes[p] = texto;
    p = p == 99 ? 0 : p + 1;
    return texto;
  }
}

int ExtractStrings2(const QByteArray &separadores, const QByteArray &brancos, const QByteArray &texto,
                    QList<QByteArray> &lista) {
  if (texto.isEmpty()) return 0;
  int contagem = 0;
  qsizetype i = 0;
  for (;;) {
    while (i < texto.size() && brancos.contains(texto.at(i))) ++i;
    const qsizetype inicio = i;
    while (i < texto.size() && !separadores.contains(texto.at(i))) ++i;
    lista.append(texto.mid(inicio, i - inicio));
    ++contagem;
    if (i >= texto.size()) break;
    ++i;  // the separator
  }
  return contagem;
}

namespace {

// The reader reports version and encoding but not whether standalone was
// written at all, so the declaration's own attributes are read from the text.
QString DeclaracaoOriginal(const QString &xml) {
  static const QRegularExpression declaracao(QStringLiteral(R"(^\x{FEFF}?\s*<\?xml\s([^?]*)\?>)"));
  static const QRegularExpression atributo(QStringLiteral(R"((version|encoding|standalone)\s*=\s*(["'])(.*?)\2)"));
  const auto m = declaracao.match(xml);
  if (!m.hasMatch()) return {};
  QString versao, codificacao, standalone;
  for (auto it = atributo.globalMatch(m.captured(1)); it.hasNext();) {
    const auto a = it.next();
    const QString nome = a.captured(1);
    if (nome == u"version") versao = a.captured(3);
    else if (nome == u"encoding") codificacao = a.captured(3);
    else standalone = a.captured(3);
  }
  QString saida = QStringLiteral("<?xml version=\"%1\"").arg(versao.isEmpty() ? QStringLiteral("1.0") : versao);
  if (!codificacao.isEmpty()) saida += QStringLiteral(" encoding=\"%1\"").arg(codificacao);
  if (!standalone.isEmpty()) saida += QStringLiteral(" standalone=\"%1\"").arg(standalone);
  return saida + QStringLiteral("?>\n");
}

}  // namespace

QString FormatXMLString(const QString &xml) {
  QXmlStreamReader leitor(xml);
  QString corpo;
  QXmlStreamWriter escritor(&corpo);
  escritor.setAutoFormatting(true);
  escritor.setAutoFormattingIndent(2);
  while (!leitor.atEnd()) {
    switch (leitor.readNext()) {
      case QXmlStreamReader::StartElement:
        escritor.writeStartElement(leitor.qualifiedName().toString());
        for (const auto &ns : leitor.namespaceDeclarations()) {
          // writeNamespace makes up a prefix ("n1") for an empty one, which would
          // move the element out of its default namespace (a CFe's Signature).
          if (ns.prefix().isEmpty()) escritor.writeDefaultNamespace(ns.namespaceUri().toString());
          else escritor.writeNamespace(ns.namespaceUri().toString(), ns.prefix().toString());
        }
        for (const auto &a : leitor.attributes()) escritor.writeAttribute(a.qualifiedName().toString(), a.value().toString());
        break;
      case QXmlStreamReader::EndElement:
        escritor.writeEndElement();
        break;
      case QXmlStreamReader::Characters:
        if (leitor.isWhitespace()) break;  // the old indentation
        if (leitor.isCDATA()) escritor.writeCDATA(leitor.text().toString());
        else escritor.writeCharacters(leitor.text().toString());
        break;
      case QXmlStreamReader::Comment:
        escritor.writeComment(leitor.text().toString());
        break;
      case QXmlStreamReader::ProcessingInstruction:
        escritor.writeProcessingInstruction(leitor.processingInstructionTarget().toString(),
                                            leitor.processingInstructionData().toString());
        break;
      case QXmlStreamReader::DTD:
        escritor.writeDTD(leitor.text().toString());
        break;
      case QXmlStreamReader::EntityReference:
        escritor.writeEntityReference(leitor.name().toString());
        break;
      default:
        break;
    }
  }
  if (leitor.hasError()) {
    throw ErroXml(QStringLiteral("%1 (linha %2, coluna %3)")
                      .arg(leitor.errorString())
                      .arg(leitor.lineNumber())
                      .arg(leitor.columnNumber()));
  }
  // The writer ends a document's top-level lines with LF; the display wants CR LF.
  while (corpo.startsWith(u'\n')) corpo.remove(0, 1);
  QString texto = DeclaracaoOriginal(xml) + corpo;
  while (texto.endsWith(u'\n')) texto.chop(1);
  texto.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return texto + QStringLiteral("\r\n");
}

bool CodigoValido(const QString &codigo) { return Apara(codigo).size() >= 8; }

void ConfiguraCampoCNPJ(QLineEdit *campo) { campo->setInputMask(QStringLiteral("99.999.999/9999-99;_")); }

namespace {

class CampoComMascara : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

 protected:
  void focusInEvent(QFocusEvent *evento) override {
    QLineEdit::focusInEvent(evento);
    const Qt::FocusReason r = evento->reason();
    if (r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::ShortcutFocusReason) selectAll();
  }
};

}  // namespace

QLineEdit *CampoMascarado(QWidget *pai, const char *nome, const QString &mascara) {
  auto *e = new CampoComMascara(pai);
  e->setObjectName(QString::fromLatin1(nome));
  e->setInputMask(mascara);
  return e;
}

QLineEdit *CampoCNPJ(QWidget *pai, const char *nome) {
  QLineEdit *e = CampoMascarado(pai, nome, QString());
  ConfiguraCampoCNPJ(e);
  return e;
}

QString ValorCNPJ(const QLineEdit *campo) {
  // text() drops unfilled positions and shifts the rest; the display text keeps
  // every position in place.
  static constexpr int kPosicoes[14] = {0, 1, 3, 4, 5, 7, 8, 9, 11, 12, 13, 14, 16, 17};
  const QString visto = campo->displayText();
  QString valor;
  for (int pos : kPosicoes) {
    const QChar c = pos < visto.size() ? visto.at(pos) : QChar(u'_');
    valor += c == u'_' ? QChar(u' ') : c;
  }
  while (valor.endsWith(u' ')) valor.chop(1);
  return valor;
}

QString MensagemCodigoCurto() { return QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres."); }

void CampoSenha(QLineEdit *campo) {
  campo->setEchoMode(QLineEdit::Password);
  // The style's own mask character (a bullet in most styles) would not be "*".
  campo->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
}

void SemLimite(QLineEdit *campo) { campo->setMaxLength(std::numeric_limits<int>::max()); }

QLineEdit *CampoCodigoSemLimite(QWidget *pai, const char *nome) {
  auto *e = new QLineEdit(pai);
  e->setObjectName(QString::fromLatin1(nome));
  SemLimite(e);
  CampoSenha(e);
  return e;
}

QLineEdit *CampoCodigo(QWidget *pai, const char *nome) {
  QLineEdit *e = CampoCodigoSemLimite(pai, nome);
  e->setMaxLength(kMaxCodigo);
  return e;
}
