// Texts cross the hub in UTF-8 (HTTP, JSON) and the library in ISO-8859-1: both directions.
#pragma once

#include <optional>
#include <string>

namespace cfehub {

// The request text in ISO-8859-1, or nothing with *problem saying why in words for the caller:
// invalid UTF-8, a character beyond U+00FF, or a NUL or ETX byte (which would cut or end the
// device's frame).
std::optional<std::string> Utf8ToLatin1(const std::string &utf8, std::string *problem);

// Every ISO-8859-1 byte has a UTF-8 form, so this cannot fail.
std::string Latin1ToUtf8(const std::string &latin1);

// A reply of the device for a UTF-8 caller. The library's texts are ISO-8859-1, but some devices
// (the emulator among them) already answer in UTF-8; converting such a text again would garble
// every accent ("operaÃ§Ã£o"). An ISO-8859-1 text with accents is practically never valid UTF-8,
// so a valid UTF-8 text is kept as it is and anything else is read as ISO-8859-1.
std::string ReplyToUtf8(const std::string &reply);

}  // namespace cfehub
