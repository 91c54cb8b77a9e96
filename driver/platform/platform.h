// Everything the library asks of the operating system. One implementation file
// per system (linux.cpp, later windows.cpp); the rest of the library is portable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cfe::platform {

// ---- clock ---------------------------------------------------------------
// Milliseconds on a monotonic clock: a change of the system time neither
// shortens nor stretches a wait.
int64_t MonotonicMs();
void SleepMs(int64_t ms);
// Local date and time as "dd/mm/yyyy hh:mm:ss", for log lines.
std::string LocalDateTimeText();

// ---- paths and files -----------------------------------------------------
// Folder of the calling program's executable, without a trailing slash.
std::string ExecutableDir();
// Value of an environment variable, or empty when unset.
std::string EnvText(const char *name);
// Appends bytes to a file, creating it with mode 0600; never follows a symbolic link.
bool AppendToFile(const std::string &path, std::string_view bytes);
// Replaces a file's contents (mode 0600, no symbolic link followed).
bool ReplaceFile(const std::string &path, std::string_view bytes);
bool FileExists(const std::string &path);
bool ReadWholeFile(const std::string &path, std::string &out);

}  // namespace cfe::platform
