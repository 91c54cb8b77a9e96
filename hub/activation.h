// The activation code: set in the configuration, never taken from a request. A successful
// TrocarCodigoDeAtivacao stores the new code in the state folder; that stored code is used
// until the configuration names a code other than the one it replaced (an operator who edits
// the configuration afterwards means the code written there).
#pragma once

#include <filesystem>
#include <mutex>
#include <string>

namespace cfehub {

class ActivationCode {
 public:
  ActivationCode(std::filesystem::path file, std::string configured);
  bool Load(std::string *error);
  std::string Current() const;
  // Uses the new code from now on and stores it; false with *error when it could not be stored.
  bool Replace(const std::string &code, std::string *error);

 private:
  std::filesystem::path file_;
  std::string configured_;
  mutable std::mutex mutex_;
  std::string current_;
};

}  // namespace cfehub
