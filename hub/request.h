// A request's body (form-encoded or JSON) read into the function's arguments, or the error
// that answers it. Nothing here talks to the device.
#pragma once

#include <map>
#include <string>
#include <variant>

#include "functions.h"

namespace cfehub {

struct RequestError {
  int status;           // 400, 415
  std::string message;  // in words for the till's operator
  std::string field;    // the field at fault, or empty
};

// A field as the body gave it, before its kind is checked.
struct RawValue {
  enum class Type { String, Integer, Other } type;
  std::string text;  // String: the text (UTF-8 as received); Integer: the digits
};
using RawFields = std::multimap<std::string, RawValue>;

std::variant<RawFields, RequestError> ReadBody(const std::string &contentType, const std::string &body);

struct ParsedRequest {
  int till = 0;
  Arguments args;
};

std::variant<ParsedRequest, RequestError> ParseArguments(const SatFunction &function, const RawFields &fields);

}  // namespace cfehub
