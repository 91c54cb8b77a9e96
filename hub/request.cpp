#include "request.h"

#include <httplib.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "latin1.h"
#include "sessions.h"

namespace cfehub {

namespace {

std::string MediaType(const std::string &contentType) {
  std::string type = contentType.substr(0, contentType.find(';'));
  while (!type.empty() && type.back() == ' ') type.pop_back();
  for (char &c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return type;
}

std::variant<RawFields, RequestError> ReadJson(const std::string &body) {
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(body);
  } catch (const nlohmann::json::exception &e) {
    return RequestError{400, std::string("o corpo não é JSON válido: ") + e.what(), ""};
  }
  if (!doc.is_object()) return RequestError{400, "o corpo JSON deve ser um objeto", ""};
  RawFields fields;
  for (const auto &[name, value] : doc.items()) {
    if (value.is_string()) {
      fields.emplace(name, RawValue{RawValue::Type::String, value.get<std::string>()});
    } else if (value.is_number_integer()) {
      fields.emplace(name, RawValue{RawValue::Type::Integer, value.dump()});
    } else {
      fields.emplace(name, RawValue{RawValue::Type::Other, value.dump()});
    }
  }
  return fields;
}

// An integer field: a JSON integer, or a text of decimal digits (forms carry only texts).
std::optional<long> ReadInteger(const RawValue &value) {
  if (value.type == RawValue::Type::Other) return std::nullopt;
  const std::string &t = value.text;
  if (t.empty() || t.size() > 10) return std::nullopt;
  size_t start = t[0] == '-' ? 1 : 0;
  if (start == t.size()) return std::nullopt;
  for (size_t i = start; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return std::nullopt;
  }
  errno = 0;
  long n = std::strtol(t.c_str(), nullptr, 10);
  if (errno != 0) return std::nullopt;
  return n;
}

// The one value of a field: nothing when absent; an error when given twice.
std::variant<std::monostate, const RawValue *, RequestError> OneValue(const RawFields &fields, const std::string &name) {
  auto [first, last] = fields.equal_range(name);
  if (first == last) return std::monostate{};
  if (std::next(first) != last) return RequestError{400, "o campo " + name + " aparece mais de uma vez", name};
  return &first->second;
}

std::optional<RequestError> ReadField(const FieldSpec &field, const RawValue &value, Arguments &args) {
  const std::string name = field.name;
  if (field.kind == FieldKind::Integer) {
    auto n = ReadInteger(value);
    if (!n) return RequestError{400, "o campo " + name + " deve ser um número inteiro", name};
    if (*n < field.min || *n > field.max) {
      return RequestError{400, "o campo " + name + " deve estar entre " + std::to_string(field.min) + " e " +
                                   std::to_string(field.max),
                          name};
    }
    args.integers[name] = static_cast<int>(*n);
    return std::nullopt;
  }
  if (value.type != RawValue::Type::String) return RequestError{400, "o campo " + name + " deve ser um texto", name};
  std::string problem;
  auto latin1 = Utf8ToLatin1(value.text, &problem);
  if (!latin1) return RequestError{400, "o campo " + name + " " + problem, name};
  args.texts[name] = std::move(*latin1);
  return std::nullopt;
}

}  // namespace

std::variant<RawFields, RequestError> ReadBody(const std::string &contentType, const std::string &body) {
  const std::string type = MediaType(contentType);
  if (type == "application/json") return ReadJson(body);
  if (type == "application/x-www-form-urlencoded") {
    httplib::Params params;
    httplib::detail::parse_query_text(body, params);
    RawFields fields;
    for (const auto &[name, value] : params) fields.emplace(name, RawValue{RawValue::Type::String, value});
    return fields;
  }
  return RequestError{415, "o corpo deve ser application/x-www-form-urlencoded ou application/json", ""};
}

std::variant<ParsedRequest, RequestError> ParseArguments(const SatFunction &function, const RawFields &fields) {
  ParsedRequest parsed;
  const FieldSpec till{"numero_caixa", FieldKind::Integer, 0, kMaxTill};
  std::vector<FieldSpec> wanted = {till};
  wanted.insert(wanted.end(), function.fields.begin(), function.fields.end());
  for (const auto &field : wanted) {
    auto one = OneValue(fields, field.name);
    if (auto *error = std::get_if<RequestError>(&one)) return *error;
    if (std::holds_alternative<std::monostate>(one)) {
      if (field.optional) continue;
      return RequestError{400, std::string("falta o campo ") + field.name, field.name};
    }
    if (auto error = ReadField(field, *std::get<const RawValue *>(one), parsed.args)) return *error;
  }
  if (function.missing) {
    const std::string name = function.missing(parsed.args);
    if (!name.empty()) return RequestError{400, "falta o campo " + name, name};
  }
  parsed.till = parsed.args.Integer("numero_caixa");
  return parsed;
}

}  // namespace cfehub
