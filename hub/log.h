// Structured log: one JSON object per line on standard error (journald keeps it under systemd).
// Sale texts, tokens and the activation code are never logged.
#pragma once

#include <nlohmann/json.hpp>

namespace cfehub {

// Adds "hora" and "nivel" and writes the line whole.
void LogEvent(const char *level, const char *event, nlohmann::json fields = nlohmann::json::object());

}  // namespace cfehub
