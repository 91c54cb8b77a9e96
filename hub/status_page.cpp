#include "status_page.h"

#include <cstdio>
#include <sstream>

namespace cfehub {

namespace {

std::string Escape(const std::string &text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// The fields of ConsultarStatusOperacional's reply after session, code, message, SEFAZ code and
// SEFAZ message, in the order the SAT standard gives them.
const char *const kStatusFields[] = {
    "Número de série", "Tipo de rede", "IP", "MAC", "Máscara", "Gateway", "DNS 1", "DNS 2", "Estado da rede",
    "Bateria", "Memória total", "Memória usada", "Data e hora do SAT", "Versão do software básico",
    "Versão do leiaute", "Último CF-e-SAT", "Primeiro CF-e na memória", "Último CF-e na memória",
    "Último CF-e transmitido", "Última comunicação com a SEFAZ", "Emissão do certificado",
    "Vencimento do certificado", "Estado de operação"};

std::string Millis(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", ms);
  return text;
}

void DeviceSection(std::ostringstream &out, const DeviceStatus &status) {
  out << "<section id=\"dispositivo\"><h2>Dispositivo</h2>\n";
  if (status.reply.empty()) {
    out << "<p id=\"estado\" class=\"desconhecido\">Estado ainda não consultado</p>\n</section>\n";
    return;
  }
  const auto f = ReplyFields(status.reply);
  const std::string code = f.size() > 1 ? f[1] : "";
  const bool ok = code == "10000";
  out << "<p id=\"estado\" class=\"" << (ok ? "ok" : "falha") << "\">" << (ok ? "SAT em operação" : "SAT inoperante")
      << " — <span id=\"codigo\">" << Escape(code) << "</span> " << Escape(f.size() > 2 ? f[2] : "") << "</p>\n";
  out << "<p>Consultado em <time id=\"consultado\">" << Escape(status.askedAt) << "</time></p>\n";
  if (ok) {
    out << "<table id=\"campos\">\n";
    for (size_t i = 0; i < std::size(kStatusFields) && i + 5 < f.size(); ++i) {
      out << "<tr><th scope=\"row\">" << kStatusFields[i] << "</th><td>" << Escape(f[i + 5]) << "</td></tr>\n";
    }
    out << "</table>\n";
  }
  out << "</section>\n";
}

}  // namespace

std::vector<std::string> ReplyFields(const std::string &reply) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t bar = reply.find('|', start);
    fields.push_back(reply.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) return fields;
    start = bar + 1;
  }
}

std::string StatusPage(const DeviceStatus &status, const QueueState &queue, const std::vector<CallRecord> &calls) {
  std::ostringstream out;
  out << "<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta http-equiv=\"refresh\" content=\"10\">\n<title>cfehub — estado</title>\n"
         "<style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse}"
         "th,td{border:1px solid #ccc;padding:2px 8px;text-align:left}.ok{color:#060}.falha{color:#a00}</style>\n"
         "</head>\n<body>\n<h1>cfehub</h1>\n";
  DeviceSection(out, status);
  out << "<section id=\"fila\"><h2>Fila</h2>\n<p>Aguardando o SAT: <span id=\"aguardando\">" << queue.waiting
      << "</span>. SAT <span id=\"em-uso\">" << (queue.deviceInUse ? "ocupado" : "livre") << "</span>.</p>\n</section>\n";
  out << "<section id=\"chamadas\"><h2>Últimas chamadas</h2>\n<table id=\"ultimas\">\n"
         "<tr><th>Hora (UTC)</th><th>Função</th><th>Caixa</th><th>Sessão</th><th>Retorno</th><th>Espera (ms)</th>"
         "<th>Ida e volta (ms)</th></tr>\n";
  for (const auto &c : calls) {
    out << "<tr><td>" << Escape(c.time) << "</td><td>" << Escape(c.function) << "</td><td>" << c.till << "</td><td>"
        << c.session << "</td><td>" << Escape(c.returnCode) << "</td><td>" << Millis(c.waitMs) << "</td><td>"
        << Millis(c.roundTripMs) << "</td></tr>\n";
  }
  out << "</table>\n</section>\n</body>\n</html>\n";
  return out.str();
}

}  // namespace cfehub
