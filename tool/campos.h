// Small routines shared by the workflows: the CNPJ test, session numbers, the
// table of states, the reply splitter, XML re-indenting and the entry rules
// for activation codes and CNPJ fields.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTime>

#include <array>
#include <functional>
#include <stdexcept>

class QLineEdit;

// Removes every leading and trailing character whose code is 32 or less.
QString Apara(const QString &texto);

bool isCNPJ(const QString &v);

struct UF {
  const char *codigo;  // "SP"
  const char *numero;  // "35"
};
// The 27 states in list order; the parameter table stores the position.
extern const std::array<UF, 27> TabelaUF;

// Session numbers: a six-digit text that no other of the last 100 handed out
// during this run had. The clock is a seam so that tests can set the time.
class GeradorSessao {
 public:
  using Relogio = std::function<QTime()>;
  explicit GeradorSessao(Relogio relogio = &QTime::currentTime);

  QString geranumsessao();
  // The number that a given time of day yields, before the no-repeat rule.
  static QString NumeroDoHorario(const QTime &hora);

 private:
  Relogio relogio;
  std::array<QString, 100> HistoricoSessoes;
  int p = 0;
};

// Splits a byte text at any of the separators, after skipping white space at
// the start of each field; appends the fields to lista and returns their count.
int ExtractStrings2(const QByteArray &separadores, const QByteArray &brancos, const QByteArray &texto,
                    QList<QByteArray> &lista);

// A text that is not well-formed XML.
class ErroXml : public std::runtime_error {
 public:
  explicit ErroXml(const QString &mensagem) : std::runtime_error(mensagem.toStdString()), texto(mensagem) {}
  QString texto;
};

// The same document re-indented by two spaces per level, lines ending in CR LF.
// Throws ErroXml when the text is not well-formed.
QString FormatXMLString(const QString &xml);

// Activation-code rule: at least 8 characters once trimmed.
bool CodigoValido(const QString &codigo);
inline constexpr int kMaxCodigo = 32;
// What every page says when the activation code breaks that rule.
QString MensagemCodigoCurto();
// A password input: every character shows as "*".
void CampoSenha(QLineEdit *campo);
// An input without a limit of its own (QLineEdit cuts at 32767 characters by default).
void SemLimite(QLineEdit *campo);
// An activation-code input: shown as "*", at most kMaxCodigo characters.
QLineEdit *CampoCodigo(QWidget *pai, const char *nome);
// The same without a limit, for the pages whose code field has none.
QLineEdit *CampoCodigoSemLimite(QWidget *pai, const char *nome);

// CNPJ entry: a masked field "99.999.999/9999-99" with "_" in unfilled positions.
void ConfiguraCampoCNPJ(QLineEdit *campo);
// A masked input. Entered with Tab (also when its dialog opens) it selects its
// whole text, where Qt would put the mask's block cursor over the first digit.
QLineEdit *CampoMascarado(QWidget *pai, const char *nome, const QString &mascara);
// A CNPJ entry made that way.
QLineEdit *CampoCNPJ(QWidget *pai, const char *nome);
// The digit positions of a CNPJ field; an unfilled position reads as a space
// and the unfilled positions at the end are left out.
QString ValorCNPJ(const QLineEdit *campo);
