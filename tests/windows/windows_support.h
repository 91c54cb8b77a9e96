// What the Windows suites share: a temporary folder, environment variables of
// the process, a registry tree of the test's own, the emulator's COM port.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace cfewin {

inline void SetEnv(const char *name, const std::string &value) { SetEnvironmentVariableA(name, value.c_str()); }
inline void UnsetEnv(const char *name) { SetEnvironmentVariableA(name, nullptr); }

inline std::string ReadFileBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh folder under the system's temporary folder, removed with its files.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH + 1];
    GetTempPathA(sizeof base, base);
    static int n = 0;
    path_ = std::string(base) + "cfetest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    const std::string todos = path_ + "\\*";
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA(todos.c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string name = f.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = path_ + "\\" + name;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryA(full.c_str());
        else DeleteFileA(full.c_str());
      } while (FindNextFileA(h, &f));
      FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
  }
  TempFolder(const TempFolder &) = delete;
  TempFolder &operator=(const TempFolder &) = delete;
  const std::string &Path() const { return path_; }
  std::string operator/(const std::string &name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// A registry tree under HKEY_CURRENT_USER that the library reads in place of
// HKEY_LOCAL_MACHINE (CFEDRIVER_REGISTRY); removed at the end.
class FakeRegistry {
 public:
  FakeRegistry() {
    static int n = 0;
    sub_ = L"Software\\cfetest\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++n);
    SetEnv("CFEDRIVER_REGISTRY", "HKCU\\" + std::string(sub_.begin(), sub_.end()));
  }
  ~FakeRegistry() {
    RegDeleteTreeW(HKEY_CURRENT_USER, sub_.c_str());
    UnsetEnv("CFEDRIVER_REGISTRY");
  }
  FakeRegistry(const FakeRegistry &) = delete;
  FakeRegistry &operator=(const FakeRegistry &) = delete;

  void CreateKey(const std::wstring &path) {
    HKEY k = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, (sub_ + L"\\" + path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    if (k) RegCloseKey(k);
  }
  void SetText(const std::wstring &path, const std::wstring &name, const std::wstring &data) {
    RegSetKeyValueW(HKEY_CURRENT_USER, (sub_ + L"\\" + path).c_str(), name.c_str(), REG_SZ, data.c_str(),
                    DWORD((data.size() + 1) * sizeof(wchar_t)));
  }
  void SetNumber(const std::wstring &path, const std::wstring &name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, (sub_ + L"\\" + path).c_str(), name.c_str(), REG_DWORD, &value, sizeof value);
  }

  // The device's instance `instance` with the port `port` (none: no "Device Parameters").
  void Instance(const std::wstring &instance, const wchar_t *port) {
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0525&PID_A4A7\\" + instance;
    CreateKey(key);
    if (port) SetText(key + L"\\Device Parameters", L"PortName", port);
  }
  // A port present now, as the system lists it.
  void Present(const std::wstring &kernelName, const std::wstring &port) {
    SetText(L"HARDWARE\\DEVICEMAP\\SERIALCOMM", kernelName, port);
  }

 private:
  std::wstring sub_;
};

// The COM port that tests/wine/with-satemu.sh mapped the emulator's pty to.
inline std::string EmulatorPort() {
  char value[64] = "";
  DWORD n = GetEnvironmentVariableA("CFE_TEST_COM", value, sizeof value);
  return n > 0 && n < sizeof value ? value : "";
}

}  // namespace cfewin
