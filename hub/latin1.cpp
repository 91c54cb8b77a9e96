#include "latin1.h"

#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace cfehub {

namespace {

// Runs iconv over the whole text; nothing when the input is not valid in `from`.
std::optional<std::string> Convert(const char *from, const char *to, const std::string &in, size_t *badOffset) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(in.size() * 4 + 16, '\0');
  char *src = const_cast<char *>(in.data());
  size_t srcLeft = in.size();
  char *dst = out.data();
  size_t dstLeft = out.size();
  size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) {
    if (badOffset) *badOffset = in.size() - srcLeft;
    return std::nullopt;
  }
  out.resize(out.size() - dstLeft);
  return out;
}

std::string CodePoint(uint32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
  return text;
}

}  // namespace

std::optional<std::string> Utf8ToLatin1(const std::string &utf8, std::string *problem) {
  size_t badOffset = 0;
  auto wide = Convert("UTF-8", "UTF-32LE", utf8, &badOffset);
  if (!wide) {
    *problem = "não é UTF-8 válido (byte " + std::to_string(badOffset + 1) + ")";
    return std::nullopt;
  }
  std::string latin1;
  latin1.reserve(wide->size() / 4);
  for (size_t i = 0; i + 3 < wide->size(); i += 4) {
    const auto *b = reinterpret_cast<const unsigned char *>(wide->data() + i);
    uint32_t c = b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24);
    const size_t position = i / 4 + 1;
    if (c > 0xFF) {
      // The character itself, cut out of the UTF-8 text, so that the caller sees what it sent.
      std::string shown;
      if (auto back = Convert("UTF-32LE", "UTF-8", wide->substr(i, 4), nullptr)) shown = *back;
      *problem = "o caractere \"" + shown + "\" (" + CodePoint(c) + ", posição " + std::to_string(position) +
                 ") não existe em ISO-8859-1";
      return std::nullopt;
    }
    if (c == 0x00 || c == 0x03) {
      *problem = "contém o caractere de controle " + CodePoint(c) + " (posição " + std::to_string(position) +
                 "), que o SAT não aceita";
      return std::nullopt;
    }
    latin1 += static_cast<char>(c);
  }
  return latin1;
}

std::string Latin1ToUtf8(const std::string &latin1) {
  // iconv knows ISO-8859-1 on every glibc system; should it ever fail, the bytes pass unchanged
  // rather than being lost.
  if (auto utf8 = Convert("ISO-8859-1", "UTF-8", latin1, nullptr)) return *utf8;
  return latin1;
}

std::string ReplyToUtf8(const std::string &reply) {
  if (Convert("UTF-8", "UTF-32LE", reply, nullptr)) return reply;
  return Latin1ToUtf8(reply);
}

}  // namespace cfehub
