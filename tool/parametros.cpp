#include "parametros.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringConverter>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

struct Definicao {
  const char *nome;
  int largura;
  const char *inicial;  // nullptr: no value
};

constexpr Definicao kColunas[] = {
    {"tipoInter", 4, "ETHE"},  {"SSID", 32, nullptr},       {"seg", 8, nullptr},
    {"codigo", 64, nullptr},   {"tipoLan", 8, "DHCP"},      {"lanIP", 15, nullptr},
    {"lanMask", 15, nullptr},  {"lanGW", 15, nullptr},      {"lanDNS1", 15, nullptr},
    {"lanDNS2", 15, nullptr},  {"usuario", 64, nullptr},    {"senha", 64, nullptr},
    {"proxy", 1, "0"},         {"proxy_ip", 15, nullptr},   {"proxy_porta", 5, nullptr},
    {"proxy_user", 64, nullptr}, {"proxy_senha", 64, nullptr}, {"CNPJContribuinte", 14, nullptr},
    {"uf", 2, "25"},           {"assinatura", 344, nullptr}, {"CNPJSH", 14, nullptr},
};

const QString kNomeArquivo = QStringLiteral("Parametros.xml");

// The columns hold single-byte text: what Latin-1 cannot hold becomes "?".
QString UmByte(const QString &valor) {
  QString s = valor;
  for (QChar &c : s) {
    if (c.unicode() > 0xFF) c = u'?';
  }
  return s;
}

// The encoding named by the XML declaration, if any. The declaration is ASCII
// in every encoding that a single-byte or UTF-8 file can have.
QString CodificacaoDeclarada(const QByteArray &dados) {
  static const QRegularExpression declaracao(
      QStringLiteral(R"(^(?:\x{EF}\x{BB}\x{BF})?\s*<\?xml\s[^?]*?encoding\s*=\s*(["'])([^"']*)\1)"));
  const auto m = declaracao.match(QString::fromLatin1(dados.left(512)));
  return m.hasMatch() ? m.captured(2) : QString();
}

bool Utf8Valido(const QByteArray &dados) {
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QString texto = utf8(dados);
  return !utf8.hasError();
}

}  // namespace

QString TParametros::ForaDoConjunto(const QString &valor) {
  QString fora;
  for (QChar c : valor) {
    if (c.unicode() > 0xFF && !fora.contains(c)) fora += c;
  }
  return fora;
}

TParametros::TParametros(QString a) : arquivo(std::move(a)) {}

void TParametros::DefineColunasPadrao() {
  colunas.clear();
  for (const auto &d : kColunas) {
    Coluna c;
    c.nome = QString::fromLatin1(d.nome);
    c.largura = d.largura;
    c.atributos.append(QStringLiteral("attrname"), c.nome);
    c.atributos.append(QStringLiteral("fieldtype"), QStringLiteral("string"));
    c.atributos.append(QStringLiteral("WIDTH"), QString::number(d.largura));
    colunas.append(c);
  }
  params.clear();
  codificacao.clear();
  oitoBits = false;
}

QByteArray TParametros::PacoteInicial() {
  TParametros t{QString()};
  t.DefineColunasPadrao();
  for (const auto &d : kColunas) t.linha.append(d.inicial ? std::optional<QString>(QString::fromLatin1(d.inicial)) : std::nullopt);
  return t.Pacote();
}

void TParametros::CriaSeAusente() {
  if (QFile::exists(arquivo)) return;
  DefineColunasPadrao();
  linha.clear();
  for (const auto &d : kColunas) linha.append(d.inicial ? std::optional<QString>(QString::fromLatin1(d.inicial)) : std::nullopt);
  aberta = true;
  alterada = true;
  Fecha();
}

void TParametros::Abre() {
  if (aberta) return;
  QFile f(arquivo);
  if (!f.open(QIODevice::ReadOnly)) {
    throw ErroDados(QStringLiteral("Não foi possível abrir %1: %2").arg(kNomeArquivo, f.errorString()));
  }
  Le(f.readAll());
  aberta = true;
  alterada = false;
  editando = false;
}

void TParametros::Le(const QByteArray &dados) {
  const auto invalido = [](const QString &motivo) {
    return ErroDados(QStringLiteral("%1 não é um pacote de dados válido: %2").arg(kNomeArquivo, motivo));
  };
  QList<Coluna> lidas;
  QList<QXmlStreamAttributes> linhas;
  QXmlStreamAttributes lidosParams;
  bool temCampos = false;

  // A data packet of another program may hold 8-bit text without saying so.
  const QString declarada = CodificacaoDeclarada(dados);
  const bool semCodificacao = declarada.isEmpty() && !Utf8Valido(dados);
  QXmlStreamReader r;
  // Names are taken as written: a column named with a prefix ("x:y") goes back
  // into the file under that name without its namespace declaration, which a
  // namespace-aware reading would refuse the next time.
  r.setNamespaceProcessing(false);
  if (semCodificacao) r.addData(QString::fromLatin1(dados));
  else r.addData(dados);
  if (!r.readNextStartElement() || r.name() != u"DATAPACKET") {
    throw invalido(r.hasError() ? r.errorString() : QStringLiteral("falta o elemento DATAPACKET"));
  }
  while (!r.atEnd()) {
    if (r.readNext() != QXmlStreamReader::StartElement) continue;
    if (r.name() == u"FIELDS") {
      temCampos = true;
    } else if (r.name() == u"FIELD") {
      Coluna c;
      c.atributos = r.attributes();
      c.nome = c.atributos.value(QStringLiteral("attrname")).toString();
      c.largura = c.atributos.value(QStringLiteral("WIDTH")).toInt();
      if (c.nome.isEmpty()) throw invalido(QStringLiteral("FIELD sem attrname"));
      lidas.append(c);
    } else if (r.name() == u"PARAMS") {
      // A second PARAMS overrides what the first carries: the file is written
      // back with one, where a name held twice would make it unreadable.
      for (const auto &a : r.attributes()) {
        if (a.qualifiedName() == u"CHANGE_LOG") continue;
        lidosParams.removeIf([&a](const QXmlStreamAttribute &b) { return b.qualifiedName() == a.qualifiedName(); });
        lidosParams.append(a);
      }
    } else if (r.name() == u"ROW") {
      linhas.append(r.attributes());
    }
  }
  if (r.hasError()) throw invalido(QStringLiteral("%1 (linha %2)").arg(r.errorString()).arg(r.lineNumber()));
  if (!temCampos) throw invalido(QStringLiteral("falta o elemento FIELDS"));

  colunas = lidas;
  params = lidosParams;
  codificacao = declarada;
  oitoBits = semCodificacao;
  linha = Linha(colunas.size());
  // Each ROW is a version of the one row: later versions override what they carry.
  for (const auto &atributos : linhas) {
    for (const auto &a : atributos) {
      const int i = Indice(a.qualifiedName().toString());
      if (i >= 0) linha[i] = a.value().toString();
    }
  }
}

void TParametros::Fecha() {
  if (!aberta) return;
  if (alterada || !QFile::exists(arquivo)) Grava();
  aberta = false;
  alterada = false;
  editando = false;
  linha.clear();
}

QByteArray TParametros::Pacote() const {
  // The writer gives the elements and their escaping; the declaration of the
  // data packet (standalone, two spaces after it) is written here, with the
  // encoding only when the file read named one.
  QString corpo;
  QXmlStreamWriter w(&corpo);
  w.writeStartElement(QStringLiteral("DATAPACKET"));
  w.writeAttribute(QStringLiteral("Version"), QStringLiteral("2.0"));
  w.writeStartElement(QStringLiteral("METADATA"));
  w.writeStartElement(QStringLiteral("FIELDS"));
  for (const auto &c : colunas) {
    w.writeEmptyElement(QStringLiteral("FIELD"));
    w.writeAttributes(c.atributos);
  }
  w.writeEndElement();
  w.writeEmptyElement(QStringLiteral("PARAMS"));
  w.writeAttribute(QStringLiteral("CHANGE_LOG"), QStringLiteral("1 0 4"));
  w.writeAttributes(params);
  w.writeEndElement();
  w.writeStartElement(QStringLiteral("ROWDATA"));
  // The row's current values as one inserted row.
  w.writeEmptyElement(QStringLiteral("ROW"));
  w.writeAttribute(QStringLiteral("RowState"), QStringLiteral("4"));
  for (int i = 0; i < colunas.size(); ++i) {
    if (i < linha.size() && linha[i]) w.writeAttribute(colunas[i].nome, *linha[i]);
  }
  w.writeEndElement();
  w.writeEndElement();
  const QString declaracao = codificacao.isEmpty()
                                 ? QStringLiteral("<?xml version=\"1.0\" standalone=\"yes\"?>  ")
                                 : QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\" standalone=\"yes\"?>  ").arg(codificacao);
  const QString texto = declaracao + corpo;
  if (!codificacao.isEmpty()) {
    QStringEncoder declarada(codificacao.toLatin1().constData());
    if (declarada.isValid()) return declarada(texto);  // what it cannot hold becomes "?"
  }
  if (oitoBits) return UmByte(texto).toLatin1();
  return texto.toUtf8();
}

void TParametros::Grava() const {
  QSaveFile f(arquivo);
  if (!f.open(QIODevice::WriteOnly) || f.write(Pacote()) < 0 || !f.commit()) {
    throw ErroDados(QStringLiteral("Não foi possível gravar %1: %2").arg(kNomeArquivo, f.errorString()));
  }
}

int TParametros::Indice(const QString &coluna) const {
  for (int i = 0; i < colunas.size(); ++i) {
    if (colunas[i].nome.compare(coluna, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

namespace {
int IndiceOuErro(int i, const QString &coluna) {
  if (i < 0) throw ErroDados(QStringLiteral("Campo '%1' não encontrado.").arg(coluna));
  return i;
}
}  // namespace

QString TParametros::Texto(const QString &coluna) const {
  if (!aberta) throw ErroDados(QStringLiteral("A tabela de parâmetros está fechada."));
  const int i = IndiceOuErro(Indice(coluna), coluna);
  const Linha &l = editando ? edicao : linha;
  return l[i].value_or(QString());
}

bool TParametros::TemValor(const QString &coluna) const {
  if (!aberta) throw ErroDados(QStringLiteral("A tabela de parâmetros está fechada."));
  const int i = IndiceOuErro(Indice(coluna), coluna);
  return (editando ? edicao : linha)[i].has_value();
}

int TParametros::Inteiro(const QString &coluna) const {
  const QString t = Texto(coluna);
  bool ok = false;
  const int v = t.toInt(&ok);
  if (!ok) throw ErroDados(QStringLiteral("'%1' não é um valor inteiro válido.").arg(t));
  return v;
}

void TParametros::Edita() {
  if (!aberta) throw ErroDados(QStringLiteral("A tabela de parâmetros está fechada."));
  if (editando) return;
  edicao = linha;
  editando = true;
}

void TParametros::DefineTexto(const QString &coluna, const QString &valor) {
  if (!editando) throw ErroDados(QStringLiteral("A tabela de parâmetros não está em edição."));
  const int i = IndiceOuErro(Indice(coluna), coluna);
  const int largura = colunas[i].largura;
  edicao[i] = UmByte(largura > 0 ? valor.left(largura) : valor);
}

void TParametros::DefineInteiro(const QString &coluna, int valor) { DefineTexto(coluna, QString::number(valor)); }

void TParametros::Posta() {
  if (!editando) return;
  linha = edicao;
  editando = false;
  alterada = true;
}

void TParametros::Cancela() { editando = false; }
