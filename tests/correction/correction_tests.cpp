// Rewriting of numeric character references in sale texts.
#include <gtest/gtest.h>

#include <string>

#include "api/corrige.h"

namespace {

struct Caso {
  const char *nome;
  std::string entrada;
  std::string esperado;
};

std::string Corrigido(std::string texto) {
  cfe::CorrigeEntidades(texto);
  return texto;
}

TEST(CorrigeEntidades, ReferencesBelow128BecomeThePlainCharacter) {
  const Caso casos[] = {
      {"decimal", "&#65;", "    A"},
      {"hexadecimal", "&#x41;", "     A"},
      {"upper-case x", "&#X41;", "     A"},
      {"apostrophe becomes grave accent", "&#39;", "    `"},
      {"carriage return becomes space", "&#13;", "     "},
      {"less-than is not protected", "&#60;", "    <"},
      {"empty reference gives a zero byte", "&#;", std::string("  \0", 3)},
      {"inside a text", "<a>x&#65;y</a>", "<a>x    Ay</a>"},
      {"two in a row", "&#65;&#66;", "    A    B"},
      {"ten decimal digits still read", "&#0000000065;", std::string(12, ' ') + "A"},
      {"nine hexadecimal digits still read", "&#x000000041;", std::string(12, ' ') + "A"},
  };
  for (const Caso &c : casos) EXPECT_EQ(Corrigido(c.entrada), c.esperado) << c.nome;
}

TEST(CorrigeEntidades, OtherReferencesStayUnchanged) {
  const char *casos[] = {
      "&#225;",          // 128 or more
      "&#xE1;",          // 128 or more, hexadecimal
      "&#99999999999;",  // eleven digits: no ";" within reach
      "&#x0000000041;",  // ten hexadecimal digits: no ";" within reach
      "&#65",            // unterminated at the end of the text
      "&#",              // reference cut by the end of the text
      "&#x",
      "&65;",            // no "#"
      "&amp;",           // named, not numeric
      "&#6a;",           // a letter in a decimal reference
      "&#xG1;",          // not a hexadecimal digit
      "",
  };
  for (const char *c : casos) EXPECT_EQ(Corrigido(c), c) << c;
}

TEST(CorrigeEntidades, ScanningResumesAfterTheCharacterThatStoppedTheReading) {
  // "&#6a;" is abandoned at "a"; the "&#66;" right after it is still rewritten.
  EXPECT_EQ(Corrigido("&#6a&#66;"), "&#6a    B");
  // The "&" that stopped a reading is passed over with it, so the reference it
  // starts is not read.
  EXPECT_EQ(Corrigido("&#&#65;"), "&#&#65;");
}

TEST(CorrigeEntidades, KeepsTheLengthOfALargeText) {
  std::string texto;
  for (int i = 0; i < 100000; ++i) texto += "<x>&#233;&#65;&#x2F;</x>";
  std::string corrigido = Corrigido(texto);
  ASSERT_EQ(corrigido.size(), texto.size());
  EXPECT_EQ(corrigido.substr(0, 24), "<x>&#233;    A     /</x>");
}

}  // namespace
