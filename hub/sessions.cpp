#include "sessions.h"

#include <nlohmann/json.hpp>

#include "storage.h"

namespace cfehub {

SessionCounters::SessionCounters(std::filesystem::path file) : file_(std::move(file)) {}

bool SessionCounters::Load(std::string *error) {
  std::lock_guard<std::mutex> guard(mutex_);
  std::string readError;
  auto text = ReadWholeFile(file_, &readError);
  if (!readError.empty()) {
    *error = readError;
    return false;
  }
  if (text) {
    try {
      const auto doc = nlohmann::json::parse(*text);
      for (const auto &[till, step] : doc.at("caixas").items()) {
        const int n = std::stoi(till);
        const int s = step.get<int>();
        if (n < 0 || n > kMaxTill || s < 0 || s > 999) throw std::out_of_range(till);
        last_[n] = s;
      }
      lastOwn_ = doc.at("hub").get<int>();
      if (lastOwn_ < 0 || lastOwn_ > 999) throw std::out_of_range("hub");
    } catch (const std::exception &e) {
      *error = file_.string() + " está corrompido (" + e.what() + "); corrija-o ou apague-o";
      return false;
    }
  }
  return Store(error);
}

bool SessionCounters::Store(std::string *error) {
  nlohmann::json doc;
  doc["caixas"] = nlohmann::json::object();
  for (const auto &[till, step] : last_) doc["caixas"][std::to_string(till)] = step;
  doc["hub"] = lastOwn_;
  return WriteFileAtomically(file_, doc.dump(1) + "\n", error);
}

std::optional<int> SessionCounters::Next(int till, std::string *error) {
  std::lock_guard<std::mutex> guard(mutex_);
  int &last = last_[till];
  const int previous = last;
  last = last % 999 + 1;
  if (!Store(error)) {
    last = previous;
    return std::nullopt;
  }
  return till * 1000 + last;
}

std::optional<int> SessionCounters::NextOwn(std::string *error) {
  std::lock_guard<std::mutex> guard(mutex_);
  const int previous = lastOwn_;
  lastOwn_ = lastOwn_ % 999 + 1;
  if (!Store(error)) {
    lastOwn_ = previous;
    return std::nullopt;
  }
  return lastOwn_ * 1000;
}

}  // namespace cfehub
