// The hub's state files: replaced whole, never half-written (a crash leaves the old or the new one).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace cfehub {

// Writes a temporary file beside `path`, flushes it to disk and renames it over `path`.
bool WriteFileAtomically(const std::filesystem::path &path, const std::string &text, std::string *error);

// The whole file, or nothing when it does not exist; *error is set when it exists but cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path &path, std::string *error);

}  // namespace cfehub
