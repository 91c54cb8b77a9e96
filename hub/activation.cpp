#include "activation.h"

#include <nlohmann/json.hpp>

#include "latin1.h"
#include "storage.h"

namespace cfehub {

ActivationCode::ActivationCode(std::filesystem::path file, std::string configured)
    : file_(std::move(file)), configured_(std::move(configured)), current_(configured_) {}

bool ActivationCode::Load(std::string *error) {
  std::string readError;
  auto text = ReadWholeFile(file_, &readError);
  if (!readError.empty()) {
    *error = readError;
    return false;
  }
  if (!text) return true;
  try {
    const auto doc = nlohmann::json::parse(*text);
    std::string problem;
    const auto code = Utf8ToLatin1(doc.at("codigo_ativacao").get<std::string>(), &problem);
    const auto replaced = Utf8ToLatin1(doc.at("substitui").get<std::string>(), &problem);
    if (!code || !replaced) throw std::runtime_error(problem);
    std::lock_guard<std::mutex> guard(mutex_);
    if (*replaced == configured_) current_ = *code;
  } catch (const std::exception &e) {
    *error = file_.string() + " está corrompido (" + e.what() + ")";
    return false;
  }
  return true;
}

std::string ActivationCode::Current() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return current_;
}

bool ActivationCode::Replace(const std::string &code, std::string *error) {
  // The codes are ISO-8859-1 like every text the library sees; the file is UTF-8 JSON.
  nlohmann::json doc;
  doc["codigo_ativacao"] = Latin1ToUtf8(code);
  doc["substitui"] = Latin1ToUtf8(configured_);
  const std::string text = doc.dump(1) + "\n";
  const bool stored = WriteFileAtomically(file_, text, error);
  // The device has the new code now: use it even when it could not be stored.
  std::lock_guard<std::mutex> guard(mutex_);
  current_ = code;
  return stored;
}

}  // namespace cfehub
