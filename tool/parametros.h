// The parameter table `cds`: one row of text columns kept in "Parametros.xml",
// an XML data packet (metadata with the column definitions and change log,
// then the row data).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QXmlStreamAttributes>

#include <optional>
#include <stdexcept>

// A failure of the data layer: unreadable file, missing column, bad integer.
// Workflows show texto and stop.
class ErroDados : public std::runtime_error {
 public:
  explicit ErroDados(const QString &mensagem) : std::runtime_error(mensagem.toStdString()), texto(mensagem) {}
  QString texto;
};

class TParametros {
 public:
  explicit TParametros(QString arquivo);

  const QString &Arquivo() const { return arquivo; }

  // Start-up: when the file is missing, creates it with the 21 columns and the
  // default row. An existing file is left unread.
  void CriaSeAusente();

  bool Aberta() const { return aberta; }
  // Loads the row from the file unless the table is already open. Throws ErroDados.
  void Abre();
  // Writes the file when a row was posted since loading or the file is gone,
  // then releases the row. Throws ErroDados when the file cannot be written.
  void Fecha();

  // Columns are found by name without regard to letter case. Throw ErroDados.
  QString Texto(const QString &coluna) const;
  int Inteiro(const QString &coluna) const;
  bool TemValor(const QString &coluna) const;

  // Editing: Edita, then Define*, then Posta; Cancela drops the edit.
  void Edita();
  void DefineTexto(const QString &coluna, const QString &valor);
  void DefineInteiro(const QString &coluna, int valor);
  void Posta();
  void Cancela();

  // The bytes of the file written at creation.
  static QByteArray PacoteInicial();

  // The characters of valor that the table's single-byte text cannot hold
  // (stored as "?"), each once; empty when it holds them all.
  static QString ForaDoConjunto(const QString &valor);

 private:
  struct Coluna {
    QString nome;
    int largura = 0;  // 0: no width given
    QXmlStreamAttributes atributos;  // as read, written back unchanged
  };
  using Linha = QList<std::optional<QString>>;

  int Indice(const QString &coluna) const;
  void DefineColunasPadrao();
  void Le(const QByteArray &dados);
  QByteArray Pacote() const;
  void Grava() const;

  QString arquivo;
  bool aberta = false;
  bool alterada = false;
  bool editando = false;
  QList<Coluna> colunas;
  Linha linha;
  Linha edicao;
  QXmlStreamAttributes params;  // PARAMS attributes other than CHANGE_LOG
  // How the file was read, so that it is written back the same way: the
  // encoding its declaration names, or 8-bit text when it names none and is
  // not valid UTF-8. Neither: UTF-8.
  QString codificacao;
  bool oitoBits = false;
};
