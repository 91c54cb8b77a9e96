// Binding of the driver library: the 17 entry points looked up by name when
// the library is loaded, plus the text conversion for its arguments.
#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QString>

#include "cfedriver.h"

class Dialogos;

// One entry point: its name and the address found, or nullptr when the
// library does not export it.
template <typename Fn>
struct Entrada {
  const char *nome;
  Fn fn = nullptr;
  explicit operator bool() const { return fn != nullptr; }
};

class TDriverSAT {
 public:
  // The library's file name, in the program's folder.
  static QString NomeBiblioteca();

  // Loads pasta + nome and binds the entry points; on a failed load shows
  // "Erro ao carregar a DLL: " + path (title "Erro!") and returns false.
  // The library stays loaded for the rest of the run.
  bool CarregaDLL(const QString &pasta, const QString &nome, Dialogos &dialogos);
  // The installed library by its SONAME (libcfedriver.so.3), found on the
  // system's library path; false without a message when it is not there.
  bool CarregaDoSistema(const QString &soname);
  bool Carregada() const { return biblioteca.isLoaded(); }
  QString Caminho() const { return biblioteca.fileName(); }

  // The entry points of the table of functions (cfedriver_funcoes.h), one member each.
#define CFE_ENTRADA(nome, ...) Entrada<decltype(&::nome)> nome{#nome};
  CFE_FUNCOES(CFE_ENTRADA, CFE_ENTRADA)
#undef CFE_ENTRADA

 private:
  void LigaTodas();
  template <typename Fn>
  void Liga(Entrada<Fn> &e) {
    e.fn = reinterpret_cast<Fn>(biblioteca.resolve(e.nome));
  }

  QLibrary biblioteca;
};

// Typed text goes to the library in the system's single-byte code page:
// ISO-8859-1 on Linux, the ANSI code page on Windows.
QByteArray TextoParaDriver(const QString &texto);
// Reply bytes are shown decoded as UTF-8; invalid bytes become U+FFFD.
QString TextoDoDriver(const QByteArray &bytes);
