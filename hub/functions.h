// The sixteen SAT functions as the hub offers them: the name in the path, the fields of the
// request, the busy reply, and the call into libcfedriver.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace cfehub {

enum class FieldKind { Text, Integer };

struct FieldSpec {
  const char *name;
  FieldKind kind;
  long min = 0;  // Integer: the accepted range
  long max = 0;
  bool optional = false;
};

// A request's fields, converted: texts in ISO-8859-1, integers in range.
struct Arguments {
  std::map<std::string, std::string> texts;
  std::map<std::string, int> integers;
  const std::string &Text(const std::string &name) const { return texts.at(name); }
  bool Has(const std::string &name) const { return texts.count(name) || integers.count(name); }
  int Integer(const std::string &name) const { return integers.at(name); }
};

struct SatFunction {
  const char *path;      // the last part of POST /hub/v1/<path>
  const char *name;      // the SAT function's name, as in the reply's "funcao"
  std::vector<FieldSpec> fields;
  // A rule between fields: the name of a field that the other fields make necessary and that is
  // missing, or empty.
  std::function<std::string(const Arguments &args)> missing;
  // Calls the library with the session and the activation code; returns its reply copied.
  std::function<std::string(int session, const std::string &code, const Arguments &args)> call;
  // From the library's table of functions (cfedriver_funcoes.h):
  const char *busyCode = "";  // xx098
  bool saleLike = false;      // EnviarDadosVenda and CancelarUltimaVenda: "0000|" in the busy reply
};

const std::vector<SatFunction> &SatFunctions();
const SatFunction *FindSatFunction(std::string_view path);

// The reply the library itself gives when the device cannot be reached, made by the hub when a
// request's wait for the device runs out.
std::string BusyReply(const SatFunction &function, int session);
// The five characters after the first "|" (fewer when the reply ends sooner).
std::string ReturnCode(const std::string &reply);
std::string SessionText(int session);

}  // namespace cfehub
