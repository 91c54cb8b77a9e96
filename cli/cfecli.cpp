// cfecli FUNCTION ARGS...: loads libcfedriver.so from the folder of this program (or, installed,
// libcfedriver.so.3 from the system's library path), calls one of the library's seventeen
// functions and prints its reply.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cfedriver.h"

namespace {

// One function of the table (cfedriver_funcoes.h). Argument kinds: 'i' a 32-bit integer, 's' a text.
struct Function {
  std::string name;
  std::string code;       // command code; empty for SetDriver
  std::string kinds;      // one per parameter
  std::string arguments;  // the parameters' names, separated by spaces
};

// From the table's C parameter list, "(int numeroSessao, const char *codigoDeAtivacao)": each
// parameter's kind by its type and its name, the last word.
Function FromTable(const char *name, const char *code, const std::string &parameters) {
  Function f{name, code, "", ""};
  std::string list = parameters.substr(1, parameters.size() - 2);
  size_t start = 0;
  while (start < list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string parameter = list.substr(start, comma - start);
    const size_t first = parameter.find_first_not_of(' ');
    const size_t nameStart = parameter.find_last_of(" *") + 1;
    f.kinds += parameter.compare(first, 4, "int ") == 0 ? 'i' : 's';
    if (!f.arguments.empty()) f.arguments += ' ';
    f.arguments += parameter.substr(nameStart);
    start = comma + 1;
  }
  return f;
}

// In the order of their command codes, SetDriver last.
std::vector<Function> MakeFunctions() {
  std::vector<Function> functions = {
#define CFE_SAT_FUNCTION(name, parameters, arguments, toolOrder, code, ...) FromTable(#name, code, #parameters),
#define CFE_CONTROL_FUNCTION(name, parameters, ...) FromTable(#name, "", #parameters),
      CFE_FUNCOES(CFE_SAT_FUNCTION, CFE_CONTROL_FUNCTION)
#undef CFE_SAT_FUNCTION
#undef CFE_CONTROL_FUNCTION
  };
  std::stable_sort(functions.begin(), functions.end(), [](const Function &a, const Function &b) {
    if (a.code.empty() != b.code.empty()) return b.code.empty();
    return a.code < b.code;
  });
  return functions;
}

const std::vector<Function> &Functions() {
  static const std::vector<Function> functions = MakeFunctions();
  return functions;
}

void PrintFunctions(FILE *out) {
  std::fprintf(out, "Functions and their arguments (integers in decimal, texts as given):\n");
  for (const auto &f : Functions()) std::fprintf(out, "  %s %s\n", f.name.c_str(), f.arguments.c_str());
}

void PrintHelp() {
  std::printf(
      "Usage: cfecli FUNCTION ARGS...\n"
      "\n"
      "Calls one function of the SAT driver library and prints the reply followed by a line feed.\n"
      "The library is libcfedriver.so in this program's folder, else " CFE_SONAME " on the\n"
      "system's library path. It reads its settings from the file named by CFEDRIVER_INI, else\n"
      "sat.ini beside this program, else /etc/cfedriver/sat.ini; without one it searches for the\n"
      "device (USB 0525:a4a7) itself.\n"
      "Example: cfecli ConsultarStatusOperacional 2 12345678\n"
      "\n"
      "Exit status: 0 when the function was called, 1 when the library cannot be loaded, 2 for a\n"
      "wrong function name or wrong arguments.\n"
      "\n");
  PrintFunctions(stdout);
}

int UsageError(const std::string &problem) {
  std::fprintf(stderr, "cfecli: %s\n\nUsage: cfecli FUNCTION ARGS...\n", problem.c_str());
  PrintFunctions(stderr);
  return 2;
}

// Whole text as a decimal 32-bit integer: no blanks, no "+", nothing after the digits.
bool ReadInt(const char *text, int &value) {
  const char *end = text + std::strlen(text);
  auto [ptr, ec] = std::from_chars(text, end, value);
  return *text != '\0' && ec == std::errc() && ptr == end;
}

bool Exists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

std::string OwnFolder() {
  std::vector<char> buf(PATH_MAX + 1);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return ".";
  std::string path(buf.data(), static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// libcfedriver.so beside this program first (a build folder, or a copy the integrator put
// there), else the installed library by its SONAME. Says where it looked when neither loads.
void *LoadLibrary(std::string &name) {
  name = OwnFolder() + "/libcfedriver.so";
  if (Exists(name)) {
    void *handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) std::fprintf(stderr, "cfecli: cannot load %s: %s\n", name.c_str(), dlerror());
    return handle;
  }
  const std::string beside = name;
  name = CFE_SONAME;
  void *handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::fprintf(stderr,
                 "cfecli: libcfedriver.so not found: looked for %s, then for %s on the system's library path "
                 "(LD_LIBRARY_PATH, /etc/ld.so.cache, /lib, /usr/lib): %s\n",
                 beside.c_str(), CFE_SONAME, dlerror());
  }
  return handle;
}

// The settings files the library would read, in its order; empty when none exists.
std::string SettingsFile(std::string &looked) {
  const char *env = std::getenv("CFEDRIVER_INI");
  const std::string first = env && *env ? env : OwnFolder() + "/sat.ini";
  const std::string system = "/etc/cfedriver/sat.ini";
  looked = first + " and " + system;
  if (Exists(first)) return first;
  return Exists(system) ? system : "";
}

// The busy reply also stands for "no device at all": say so when nothing tells the library where
// the device is and none is attached, which is what a first try without satemu looks like.
void ExplainBusy(void *handle, const std::string &reply) {
  if (reply.find("|08098|") == std::string::npos) return;
  std::string looked;
  if (!SettingsFile(looked).empty()) return;
  auto setDriver = reinterpret_cast<decltype(&SetDriver)>(dlsym(handle, "SetDriver"));
  const char *ports = setDriver ? setDriver("DISCOVER", "") : nullptr;
  if (!ports || std::strcmp(ports, "NULL") != 0) return;
  std::fprintf(stderr,
               "cfecli: no settings file (looked for %s) and no SAT device attached (USB 0525:a4a7).\n"
               "cfecli: start the emulator with: satemu --ini /tmp/sat/sat.ini & export CFEDRIVER_INI=/tmp/sat/sat.ini\n",
               looked.c_str());
}

// The call itself, by the function's argument kinds.
using I = const char *CFE_CALL (*)(int);
using IS = const char *CFE_CALL (*)(int, const char *);
using ISS = const char *CFE_CALL (*)(int, const char *, const char *);
using ISSS = const char *CFE_CALL (*)(int, const char *, const char *, const char *);
using ISI = const char *CFE_CALL (*)(int, const char *, int);
using IISSI = const char *CFE_CALL (*)(int, int, const char *, const char *, int);
using ISISS = const char *CFE_CALL (*)(int, const char *, int, const char *, const char *);
using SS = const char *CFE_CALL (*)(const char *, const char *);

const char *Call(void *symbol, const std::string &kinds, const std::vector<int> &n, const std::vector<const char *> &s) {
  if (kinds == "i") return reinterpret_cast<I>(symbol)(n[0]);
  if (kinds == "is") return reinterpret_cast<IS>(symbol)(n[0], s[0]);
  if (kinds == "iss") return reinterpret_cast<ISS>(symbol)(n[0], s[0], s[1]);
  if (kinds == "isss") return reinterpret_cast<ISSS>(symbol)(n[0], s[0], s[1], s[2]);
  if (kinds == "isi") return reinterpret_cast<ISI>(symbol)(n[0], s[0], n[1]);
  if (kinds == "iissi") return reinterpret_cast<IISSI>(symbol)(n[0], n[1], s[0], s[1], n[2]);
  if (kinds == "isiss") return reinterpret_cast<ISISS>(symbol)(n[0], s[0], n[1], s[1], s[2]);
  if (kinds == "ss") return reinterpret_cast<SS>(symbol)(s[0], s[1]);
  return nullptr;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    PrintHelp();
    return 0;
  }
  if (argc < 2) return UsageError("no function named");

  const Function *function = nullptr;
  for (const auto &f : Functions())
    if (f.name == argv[1]) function = &f;
  if (!function) return UsageError(std::string("unknown function ") + argv[1]);

  const std::string kinds = function->kinds;
  const int given = argc - 2;
  if (given != static_cast<int>(kinds.size())) {
    return UsageError(std::string(function->name) + " takes " + std::to_string(kinds.size()) +
                      (kinds.size() == 1 ? " argument (" : " arguments (") +
                      function->arguments + "), " + std::to_string(given) + " given");
  }
  std::vector<int> numbers;
  std::vector<const char *> texts;
  for (size_t i = 0; i < kinds.size(); ++i) {
    const char *arg = argv[2 + i];
    if (kinds[i] == 's') {
      texts.push_back(arg);
      continue;
    }
    int value = 0;
    if (!ReadInt(arg, value)) {
      return UsageError(std::string(function->name) + ": argument " + std::to_string(i + 1) + " must be an integer, not \"" +
                        arg + "\"");
    }
    numbers.push_back(value);
  }

  std::string library;
  void *handle = LoadLibrary(library);
  if (!handle) return 1;
  void *symbol = dlsym(handle, function->name.c_str());
  if (!symbol) {
    std::fprintf(stderr, "cfecli: %s has no function %s\n", library.c_str(), function->name.c_str());
    dlclose(handle);
    return 1;
  }
  const char *reply = Call(symbol, kinds, numbers, texts);
  const std::string copy = reply ? reply : "";
  std::fwrite(copy.data(), 1, copy.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  ExplainBusy(handle, copy);
  dlclose(handle);
  return 0;
}
