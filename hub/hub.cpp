#include "hub.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "latin1.h"
#include "log.h"
#include "request.h"

namespace cfehub {

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

double MillisSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void SendJson(httplib::Response &res, int status, const json &body) {
  res.status = status;
  res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace) + "\n", "application/json; charset=utf-8");
}

void SendError(httplib::Response &res, int status, const std::string &message, const std::string &field = "") {
  json body = {{"erro", message}};
  if (!field.empty()) body["campo"] = field;
  if (status == 401) res.set_header("WWW-Authenticate", "Bearer realm=\"cfehub\"");
  SendJson(res, status, body);
}

bool Refused(Verdict verdict, httplib::Response &res) {
  if (verdict == Verdict::Unauthorized) {
    SendError(res, 401, "acesso não autorizado: falta um token válido (Authorization: Bearer)");
    return true;
  }
  if (verdict == Verdict::Forbidden) {
    SendError(res, 403, "este token ou endereço não pode agir por este caixa");
    return true;
  }
  return false;
}

// Before the body is read: a caller that can act for no till at all gets 401 at once.
Verdict MayCallAtAll(const AccessRules &rules, const std::string &authorization, const std::string &remote) {
  if (!rules.Configured()) return CheckTill(rules, authorization, remote, 0);
  for (const auto &t : rules.tills) {
    if (CheckTill(rules, authorization, remote, t.till) == Verdict::Allow) return Verdict::Allow;
  }
  return Verdict::Unauthorized;
}

}  // namespace

Hub::Hub(Config config)
    : config_(std::move(config)),
      sessions_(config_.stateDir / "sessoes.json"),
      activation_(config_.stateDir / "codigo_ativacao.json", config_.activationCode) {}

Hub::~Hub() {
  if (lockFd_ >= 0) ::close(lockFd_);
}

bool Hub::Prepare(std::string *error) {
  std::error_code ec;
  std::filesystem::create_directories(config_.stateDir, ec);
  // Two services on one state folder would hand out the same session numbers.
  const std::filesystem::path lock = config_.stateDir / "cfehub.lock";
  lockFd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0 || ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    *error = "outro cfehub já usa a pasta de estado " + config_.stateDir.string() + " (ou ela não pode ser escrita)";
    return false;
  }
  if (!sessions_.Load(error) || !activation_.Load(error)) return false;
  if (!config_.tlsCertificate.empty()) {
    auto tls = std::make_unique<httplib::SSLServer>(config_.tlsCertificate.c_str(), config_.tlsKey.c_str());
    if (!tls->is_valid()) {
      *error = "não foi possível usar o certificado " + config_.tlsCertificate + " e a chave " + config_.tlsKey;
      return false;
    }
    server_ = std::move(tls);
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  const int threads = config_.connections;
  server_->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
  server_->set_payload_max_length(config_.bodyLimit);
  server_->set_read_timeout(30, 0);
  server_->set_write_timeout(30, 0);
  AddRoutes();
  if (config_.port == 0) {
    port_ = server_->bind_to_any_port(config_.address);
  } else {
    port_ = server_->bind_to_port(config_.address, config_.port) ? config_.port : -1;
  }
  if (port_ <= 0) {
    *error = "não foi possível escutar em " + config_.address + ":" + std::to_string(config_.port);
    return false;
  }
  return true;
}

bool Hub::Run() {
  LogEvent("info", "escutando",
           {{"endereco", config_.address}, {"porta", port_}, {"tls", !config_.tlsCertificate.empty()},
            {"limite_corpo_bytes", config_.bodyLimit}, {"espera_maxima_ms", config_.maxWaitMs}});
  return server_->listen_after_bind();
}

void Hub::Stop() {
  if (server_) server_->stop();
}

void Hub::AddRoutes() {
  server_->Post(R"(/hub/v1/([^/]+))", [this](const httplib::Request &req, httplib::Response &res) {
    const SatFunction *function = FindSatFunction(req.matches[1].str());
    if (!function) {
      SendError(res, 404, "função desconhecida: " + req.matches[1].str());
      metrics_.CountRequest("desconhecida", res.status);
      return;
    }
    HandleCall(*function, req, res);
    metrics_.CountRequest(function->path, res.status);
  });
  server_->Get("/hub/v1/sessoes", [this](const httplib::Request &req, httplib::Response &res) { HandleSessions(req, res); });
  server_->Get("/healthz", [](const httplib::Request &, httplib::Response &res) { res.set_content("ok\n", "text/plain"); });
  server_->Get("/metrics", [this](const httplib::Request &req, httplib::Response &res) { HandleMetrics(req, res); });
  server_->Get("/", [this](const httplib::Request &req, httplib::Response &res) { HandleStatusPage(req, res); });
  server_->set_error_handler([](const httplib::Request &, httplib::Response &res) {
    if (!res.body.empty()) return;
    if (res.status == 413) {
      SendError(res, 413, "o corpo da requisição passa do limite configurado");
    } else if (res.status == 404) {
      SendError(res, 404, "endereço desconhecido");
    } else {
      SendError(res, res.status, "requisição recusada");
    }
  });
  // Every refused request leaves a line too (the calls themselves log "chamada").
  server_->set_logger([](const httplib::Request &req, const httplib::Response &res) {
    if (res.status < 400) return;
    const json body = json::parse(res.body, nullptr, false);
    LogEvent("aviso", "recusada",
             {{"caminho", req.path}, {"status", res.status}, {"endereco", req.remote_addr},
              {"erro", body.is_object() ? body.value("erro", "") : ""},
              {"campo", body.is_object() ? body.value("campo", "") : ""}});
  });
  server_->set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr ep) {
    std::string what = "erro interno";
    try {
      if (ep) std::rethrow_exception(ep);
    } catch (const std::exception &e) {
      what += std::string(": ") + e.what();
    } catch (...) {
    }
    LogEvent("erro", "excecao", {{"mensagem", what}});
    SendError(res, 500, what);
  });
}

void Hub::HandleCall(const SatFunction &function, const httplib::Request &req, httplib::Response &res) {
  const std::string authorization = req.get_header_value("Authorization");
  if (Refused(MayCallAtAll(config_.access, authorization, req.remote_addr), res)) return;
  auto body = ReadBody(req.get_header_value("Content-Type"), req.body);
  if (auto *error = std::get_if<RequestError>(&body)) return SendError(res, error->status, error->message, error->field);
  auto parsed = ParseArguments(function, std::get<RawFields>(body));
  if (auto *error = std::get_if<RequestError>(&parsed)) return SendError(res, error->status, error->message, error->field);
  const ParsedRequest &call = std::get<ParsedRequest>(parsed);
  if (Refused(CheckTill(config_.access, authorization, req.remote_addr, call.till), res)) return;
  if (call.args.Has("numero_sessao") && !SessionCounters::BelongsToTill(call.args.Integer("numero_sessao"), call.till)) {
    return SendError(res, 400, "numero_sessao não é uma sessão do caixa " + std::to_string(call.till), "numero_sessao");
  }

  std::string storeError;
  const auto session = sessions_.Next(call.till, &storeError);
  if (!session) {
    LogEvent("erro", "contador_de_sessao", {{"mensagem", storeError}});
    return SendError(res, 500, "não foi possível guardar o contador de sessões: " + storeError);
  }

  // The call goes on to the end even when the client has gone: a sale that reached the device
  // keeps its reply there and in the journal, found again through consultarnumerosessao.
  const auto queued = Clock::now();
  std::string reply;
  double waitMs = 0, roundTripMs = 0;
  {
    DeviceTurn turn(queue_, std::chrono::milliseconds(config_.maxWaitMs));
    waitMs = MillisSince(queued);
    metrics_.ObserveQueueWait(waitMs / 1000);
    if (turn.Held()) {
      const auto start = Clock::now();
      reply = function.call(*session, activation_.Current(), call.args);
      roundTripMs = MillisSince(start);
      metrics_.ObserveRoundTrip(function.path, roundTripMs / 1000);
      if (std::string(function.name) == "TrocarCodigoDeAtivacao" && ReturnCode(reply) == "18000") {
        std::string error;
        if (!activation_.Replace(call.args.Text("novo_codigo_ativacao"), &error)) {
          LogEvent("erro", "codigo_de_ativacao_nao_guardado", {{"mensagem", error}});
        } else {
          LogEvent("info", "codigo_de_ativacao_trocado", {{"numero_caixa", call.till}});
        }
      }
    } else {
      reply = BusyReply(function, *session);
    }
  }
  const std::string code = ReturnCode(reply);
  if (code == function.busyCode) metrics_.CountBusyReply(function.path);
  journal_.Add({UtcNow(), function.name, call.till, *session, code, waitMs, roundTripMs});
  LogEvent("info", "chamada",
           {{"funcao", function.name}, {"numero_caixa", call.till}, {"numero_sessao", *session}, {"codigo_retorno", code},
            {"espera_ms", waitMs}, {"ida_e_volta_ms", roundTripMs}, {"endereco", req.remote_addr}});
  SendJson(res, 200,
           {{"funcao", function.name}, {"numero_caixa", call.till}, {"numero_sessao", *session},
            {"retorno", ReplyToUtf8(reply)}});
}

void Hub::HandleSessions(const httplib::Request &req, httplib::Response &res) {
  const std::string text = req.get_param_value("numero_caixa");
  RawFields fields;
  if (req.has_param("numero_caixa")) fields.emplace("numero_caixa", RawValue{RawValue::Type::String, text});
  static const SatFunction kNone{"sessoes", "sessoes", {}, nullptr, nullptr};
  auto parsed = ParseArguments(kNone, fields);
  if (auto *error = std::get_if<RequestError>(&parsed)) return SendError(res, error->status, error->message, error->field);
  const int till = std::get<ParsedRequest>(parsed).till;
  if (Refused(CheckTill(config_.access, req.get_header_value("Authorization"), req.remote_addr, till), res)) return;
  json list = json::array();
  for (const auto &r : journal_.OfTill(till)) {
    list.push_back({{"hora", r.time}, {"funcao", r.function}, {"numero_sessao", r.session}, {"codigo_retorno", r.returnCode}});
  }
  SendJson(res, 200, {{"numero_caixa", till}, {"sessoes", list}});
}

bool Hub::MonitorAllowed(const httplib::Request &req, httplib::Response &res) {
  return !Refused(CheckMonitor(config_.access, req.get_header_value("Authorization"), req.remote_addr), res);
}

void Hub::HandleMetrics(const httplib::Request &req, httplib::Response &res) {
  if (!MonitorAllowed(req, res)) return;
  res.set_content(metrics_.Text(queue_.Waiting(), queue_.DeviceInUse()), "text/plain; version=0.0.4; charset=utf-8");
}

DeviceStatus Hub::CurrentDeviceStatus() {
  std::lock_guard<std::mutex> guard(statusMutex_);
  const bool fresh = !status_.reply.empty() &&
                     Clock::now() - statusTime_ < std::chrono::seconds(config_.statusMaxAgeS);
  if (fresh) return status_;
  // The page must not hang behind a long call: a short wait, else the last known state.
  DeviceTurn turn(queue_, std::chrono::milliseconds(std::min(config_.maxWaitMs, 2000)));
  if (!turn.Held()) return status_;
  std::string error;
  const auto session = sessions_.NextOwn(&error);
  if (!session) return status_;
  const auto start = Clock::now();
  const std::string reply = FindSatFunction("consultarstatusoperacional")->call(*session, activation_.Current(), {});
  metrics_.ObserveRoundTrip("consultarstatusoperacional", MillisSince(start) / 1000);
  status_ = {ReplyToUtf8(reply), UtcNow()};
  statusTime_ = Clock::now();
  return status_;
}

void Hub::HandleStatusPage(const httplib::Request &req, httplib::Response &res) {
  if (!MonitorAllowed(req, res)) return;
  const DeviceStatus status = CurrentDeviceStatus();
  res.set_content(StatusPage(status, {queue_.Waiting(), queue_.DeviceInUse()}, journal_.Last(20)),
                  "text/html; charset=utf-8");
}

}  // namespace cfehub
