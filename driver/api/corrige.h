// Rewriting of numeric character references in a sale text.
#pragma once

#include <cstddef>
#include <string>

namespace cfe {

// Turns numeric character references of characters below 128 ("&#65;", "&#x41;")
// into the plain character, in place and without changing the text's length:
// the character takes the place of the ";" and the rest of the reference becomes
// spaces. Carriage return (13) becomes a space and the apostrophe (39) a grave
// accent. References of 128 or more, unterminated ones and those holding a
// character that is not a digit stay as they are.
void CorrigeEntidades(char *texto, size_t tamanho);
void CorrigeEntidades(std::string &texto);

}  // namespace cfe
