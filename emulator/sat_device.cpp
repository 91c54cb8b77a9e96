#include "sat_device.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <sys/time.h>

namespace satemu {

namespace {

constexpr char kSerie[] = "900004019";

// What the device knows of each command: its request fields after the session, its reply prefix,
// whether its reply carries the four-character code after the return code, and the codes with
// which it refuses a wrong activation code, an unactivated device and a blocked device.
struct CommandInfo {
  const char *code;
  const char *name;
  int fields;
  const char *prefix;
  bool fourCharCode;
  const char *wrongCode;     // nullptr: the command takes no activation code
  const char *notActivated;  // nullptr: it works on a device that is not activated
  const char *blockedCode;   // nullptr: it works on a blocked device
};

constexpr CommandInfo kCommands[] = {
    {"01", "AtivarSAT", 4, "04", false, nullptr, nullptr, nullptr},
    {"02", "ComunicarCertificadoICPBRASIL", 2, "05", false, "05001", nullptr, nullptr},
    {"03", "EnviarDadosVenda", 2, "06", true, "06001", "06002", "06006"},
    {"04", "CancelarUltimaVenda", 3, "07", true, "07001", "07004", "07003"},
    {"05", "ConsultarSAT", 0, "08", false, nullptr, nullptr, nullptr},
    {"06", "TesteFimAFim", 2, "09", false, "09001", "09002", "09003"},
    {"07", "ConsultarStatusOperacional", 1, "10", false, "10001", "10002", nullptr},
    {"08", "ConsultarNumeroSessao", 2, "11", false, "11001", "11002", nullptr},
    {"09", "ConfigurarInterfaceDeRede", 2, "12", false, "12001", nullptr, nullptr},
    {"10", "AssociarAssinatura", 3, "13", true, "13001", nullptr, nullptr},
    {"11", "AtualizarSoftwareSAT", 1, "14", false, "14001", nullptr, nullptr},
    {"12", "ExtrairLogs", 2, "15", false, "15001", nullptr, nullptr},
    {"13", "BloquearSAT", 1, "16", false, "16001", nullptr, nullptr},
    {"14", "DesbloquearSAT", 1, "17", false, "17001", nullptr, nullptr},
    {"15", "TrocarCodigoDeAtivacao", 4, "18", false, "18001", nullptr, nullptr},
    {"20", "ConsultarUltimaSessaoFiscal", 1, "19", false, "19001", "19002", nullptr},
};

// Every return code the device gives, with its message. The last three digits 098 and 099 are
// the same for every command and are handled below.
struct Message {
  const char *code;
  const char *text;
};

constexpr Message kMessages[] = {
    {"04000", "Ativado corretamente"},
    {"04002", "SEFAZ não reconhece este SAT (CNPJ inválido)"},
    {"04003", "SAT já ativado"},
    {"04006", "CSR ICP-BRASIL criado com sucesso"},
    {"05000", "Certificado transmitido com sucesso"},
    {"05002", "Certificado inválido"},
    {"06000", "Emitido com sucesso + conteúdo notas."},
    {"06010", "Erro de validação do conteúdo."},
    {"07000", "Cupom cancelado com sucesso + conteúdo CF-e-SAT cancelado."},
    {"07002", "Cupom inválido."},
    {"08000", "SAT em operação"},
    {"09000", "Emitido com sucesso"},
    {"10000", "Resposta com Sucesso."},
    {"11003", "Sessão não existe."},
    {"12000", "Rede Configurada com Sucesso"},
    {"12002", "Dados fornecidos inválidos"},
    {"13000", "Assinatura do AC Registrada"},
    {"13003", "Assinatura fora do padrão informado"},
    {"13004", "CNPJ da Software House + CNPJ do emitente assinado no campo signAC difere do informado"},
    {"14000", "Software Atualizado com Sucesso"},
    {"15000", "Transferência completa"},
    {"16000", "Equipamento SAT será bloqueado."},
    {"16002", "Equipamento SAT já está bloqueado."},
    {"17000", "Equipamento SAT será desbloqueado."},
    {"17004", "Equipamento SAT já está desbloqueado."},
    {"18000", "Código de ativação alterado com sucesso."},
    {"18002", "Código de ativação de emergência incorreto."},
    {"18003", "Novo código de ativação inválido ou diferente da confirmação."},
    {"19003", "Sessão não existe."},
};

const CommandInfo *FindCommand(const std::string &code) {
  for (const auto &c : kCommands)
    if (code == c.code) return &c;
  return nullptr;
}

std::string MessageOf(const std::string &code) {
  for (const auto &m : kMessages)
    if (code == m.code) return m.text;
  if (code.size() == 5) {
    const std::string tail = code.substr(2);
    if (tail == "001") return "Código de ativação inválido.";
    if (tail == "098") return "SAT em processamento. Tente novamente.";
    if (tail == "099") return "Erro desconhecido.";
    for (const auto &c : kCommands) {
      if (c.notActivated && code == c.notActivated) return "SAT ainda não ativado.";
      if (c.blockedCode && code == c.blockedCode) return "SAT bloqueado pelo contribuinte.";
    }
  }
  return "Erro desconhecido.";
}

std::string Join(const std::vector<std::string> &fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) out += '|';
    out += fields[i];
  }
  return out;
}

// The standard head of a reply: session|code|[CCCC|]message|SEFAZ code|SEFAZ message.
std::vector<std::string> Head(const Request &r, const std::string &code) {
  const CommandInfo *info = FindCommand(r.command);
  std::vector<std::string> f{r.sessionText, code};
  if (info && info->fourCharCode) f.push_back("0000");
  f.push_back(MessageOf(code));
  f.push_back("");
  f.push_back("");
  return f;
}

std::string Reply(const Request &r, const std::string &code, const std::vector<std::string> &extra = {}) {
  std::vector<std::string> f = Head(r, code);
  f.insert(f.end(), extra.begin(), extra.end());
  return Join(f);
}

std::optional<int> ReadInt(const std::string &text) {
  int value = 0;
  const char *end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

bool AllDigits(const std::string &s, size_t n) {
  if (s.size() != n) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string LocalTime(const char *format) {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

// The content of the first <tag>...</tag> at or after `from`; nothing when absent or empty-tagged.
std::optional<std::string> Inner(const std::string &xml, const std::string &tag, size_t from = 0) {
  size_t open = from;
  while (true) {
    open = xml.find("<" + tag, open);
    if (open == std::string::npos) return std::nullopt;
    char next = open + 1 + tag.size() < xml.size() ? xml[open + 1 + tag.size()] : '\0';
    if (next == '>' || next == ' ') break;
    open += 1;
  }
  size_t start = xml.find('>', open);
  if (start == std::string::npos || xml[start - 1] == '/') return std::nullopt;
  ++start;
  size_t close = xml.find("</" + tag + ">", start);
  if (close == std::string::npos) return std::nullopt;
  return xml.substr(start, close - start);
}

std::string InnerOr(const std::string &xml, const std::string &tag, const std::string &otherwise) {
  auto v = Inner(xml, tag);
  return v ? *v : otherwise;
}

// A decimal text such as "654.320" read without the C library, whose reading depends on the
// locale of the process (the desktop tool's tests run this code inside a Qt application).
double Decimal(const std::string &text) {
  double value = 0, scale = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      if (scale == 0) {
        value = value * 10 + (c - '0');
      } else {
        value += (c - '0') * scale;
        scale /= 10;
      }
    } else if (c == '.' && scale == 0) {
      scale = 0.1;
    } else {
      break;
    }
  }
  return value;
}

std::string Cents(long long cents) {
  std::string s = std::to_string(cents / 100) + ".";
  long long rest = cents % 100;
  if (rest < 10) s += '0';
  return s + std::to_string(rest);
}

// The items of a sale: its <det ...>...</det> elements as written, and their total in cents.
std::string Items(const std::string &sale, long long &cents) {
  cents = 0;
  std::string items;
  size_t pos = 0;
  while ((pos = sale.find("<det", pos)) != std::string::npos) {
    size_t end = sale.find("</det>", pos);
    if (end == std::string::npos) break;
    std::string det = sale.substr(pos, end + 6 - pos);
    cents += std::llround(Decimal(InnerOr(det, "qCom", "0")) * Decimal(InnerOr(det, "vUnCom", "0")) * 100);
    items += det;
    pos = end + 6;
  }
  return items;
}

int CheckDigit(const std::string &digits) {
  int sum = 0, weight = 2;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    sum += (*it - '0') * weight;
    weight = weight == 9 ? 2 : weight + 1;
  }
  int r = sum % 11;
  return r < 2 ? 0 : 11 - r;
}

std::string Pad(int value, int width) {
  std::string s = std::to_string(value);
  return s.size() >= static_cast<size_t>(width) ? s : std::string(width - s.size(), '0') + s;
}

}  // namespace

std::optional<Request> ParseRequest(const std::string &frame) {
  std::string t = frame;
  if (!t.empty() && t.back() == '\x03') t.pop_back();
  if (!t.empty() && t.back() == '|') t.pop_back();
  if (t.size() < 4 || t[0] != '|' || t[3] != '|') return std::nullopt;
  Request r;
  r.command = t.substr(1, 2);
  const CommandInfo *info = FindCommand(r.command);
  if (!info) return std::nullopt;
  std::string rest = t.substr(4);
  size_t bar = rest.find('|');
  r.sessionText = rest.substr(0, bar);
  r.session = ReadInt(r.sessionText);
  // The last field takes the rest: a sale's XML may hold a "|" of its own.
  while (bar != std::string::npos && static_cast<int>(r.fields.size()) < info->fields) {
    size_t next = rest.find('|', bar + 1);
    if (static_cast<int>(r.fields.size()) == info->fields - 1) next = std::string::npos;
    r.fields.push_back(rest.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1));
    bar = next;
  }
  r.fields.resize(info->fields);
  return r;
}

std::string Base64Encode(const std::string &bytes) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t v = (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8) | uint8_t(bytes[i + 2]);
    out += alphabet[v >> 18];
    out += alphabet[(v >> 12) & 63];
    out += alphabet[(v >> 6) & 63];
    out += alphabet[v & 63];
  }
  if (i < bytes.size()) {
    uint32_t v = uint8_t(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= uint8_t(bytes[i + 1]) << 8;
    out += alphabet[v >> 18];
    out += alphabet[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? alphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool Base64Decode(const std::string &text, std::string &bytes) {
  bytes.clear();
  uint32_t acc = 0;
  int bits = 0;
  for (char c : text) {
    int v;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+') v = 62;
    else if (c == '/') v = 63;
    else if (c == '=' || c == '\r' || c == '\n') continue;
    else return false;
    acc = (acc << 6) | v;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  return true;
}

std::string SessionText(int session) {
  std::string digits = std::to_string(session < 0 ? -static_cast<long long>(session) : session);
  if (digits.size() < 6) digits = std::string(6 - digits.size(), '0') + digits;
  return session < 0 ? "-" + digits : digits;
}

std::string ReplyPrefix(const std::string &command) {
  const CommandInfo *info = FindCommand(command);
  return info ? info->prefix : "";
}

SatDevice::SatDevice() {
  Log("Inicializando SAT " + std::string(kSerie));
  Log("==================== SuperLog =====================");
  Log("Versao do software basico: 01.00.00");
  Log("Memoria de trabalho verificada");
  Log("===================================================");
  Log("SAT pronto");
}

std::string SatDevice::BusyReply(const Request &r) const {
  return Reply(r, ReplyPrefix(r.command) + "098");
}

std::optional<std::string> SatDevice::Refusal(const Request &r) const {
  const CommandInfo *info = FindCommand(r.command);
  if (!info) return std::nullopt;
  if (info->notActivated && !activated) return Reply(r, info->notActivated);
  if (info->wrongCode && (r.fields.empty() || r.fields[0] != activationCode)) return Reply(r, info->wrongCode);
  if (info->blockedCode && blocked) return Reply(r, info->blockedCode);
  return std::nullopt;
}

std::string SatDevice::Answer(const Request &r) {
  std::string reply;
  if (r.command == "01") reply = Activate(r);
  else if (r.command == "02") reply = CommunicateCertificate(r);
  else if (r.command == "03") reply = Sell(r);
  else if (r.command == "04") reply = Cancel(r);
  else if (r.command == "05") reply = Reply(r, "08000");
  else if (r.command == "06") reply = EndToEndTest(r);
  else if (r.command == "07") reply = OperationalStatus(r);
  else if (r.command == "08") return LookUpSession(r);  // look-ups store nothing
  else if (r.command == "09") reply = ConfigureNetwork(r);
  else if (r.command == "10") reply = AssociateSignature(r);
  else if (r.command == "11") reply = UpdateSoftware(r);
  else if (r.command == "12") reply = ExtractLogs(r);
  else if (r.command == "13") reply = Block(r);
  else if (r.command == "14") reply = Unblock(r);
  else if (r.command == "15") reply = ChangeActivationCode(r);
  else if (r.command == "20") return LastFiscalSessionReply(r);
  else return Reply(r, ReplyPrefix(r.command) + "099");
  Remember(r, reply);
  return reply;
}

void SatDevice::Remember(const Request &r, const std::string &reply) {
  const CommandInfo *info = FindCommand(r.command);
  Log(std::string(info ? info->name : "?") + " sessao " + r.sessionText + " retorno " + reply.substr(r.sessionText.size() + 1, 5));
  if (!r.session) return;
  StoreReply(*r.session, reply);
  if (r.command == "03" || r.command == "04") lastFiscalSession_ = *r.session;
}

void SatDevice::StoreReply(int session, const std::string &reply) {
  if (replies_.find(session) == replies_.end()) {
    replyOrder_.push_back(session);
    if (replyOrder_.size() > kStoredSessions) {
      replies_.erase(replyOrder_.front());
      replyOrder_.pop_front();
    }
  }
  replies_[session] = reply;
}

std::optional<std::string> SatDevice::StoredReply(int session) const {
  auto it = replies_.find(session);
  if (it == replies_.end()) return std::nullopt;
  return it->second;
}

int SatDevice::SalesIssued(int session) const {
  auto it = salesIssued_.find(session);
  return it == salesIssued_.end() ? 0 : it->second;
}

int SatDevice::CancellationsIssued(int session) const {
  auto it = cancellationsIssued_.find(session);
  return it == cancellationsIssued_.end() ? 0 : it->second;
}

void SatDevice::Log(const std::string &message) {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm tm{};
  localtime_r(&tv.tv_sec, &tm);
  char stamp[40];
  std::strftime(stamp, sizeof stamp, "%Y/%m/%d %H:%M:%S", &tm);
  // 24 characters of time stamp before "SAT|info|": the tool's SuperLog view drops them.
  log_.push_back(std::string(stamp) + "." + Pad(static_cast<int>(tv.tv_usec / 1000), 3) + "|SAT|info|" + message);
  if (log_.size() > 500) log_.pop_front();
}

std::string SatDevice::LogText() const {
  std::string out;
  for (const auto &line : log_) out += line + "\n";
  return out;
}

std::string SatDevice::NewKey(const std::string &cnpj) {
  ++couponNumber_;
  std::string digits = cnpj;
  digits.erase(std::remove_if(digits.begin(), digits.end(), [](char c) { return c < '0' || c > '9'; }), digits.end());
  digits = (digits + "00000000000000").substr(0, 14);
  std::string key = "35" + LocalTime("%y%m") + digits + "59" + kSerie + Pad(couponNumber_ % 1000000, 6) +
                    Pad((couponNumber_ * 7919 + 104729) % 1000000, 6);
  return key + std::to_string(CheckDigit(key));
}

std::string SatDevice::Activate(const Request &r) {
  const std::string &sub = r.fields[0];
  const std::string &code = r.fields[1];
  const std::string &cnpj = r.fields[2];
  if (sub != "1" && sub != "2" && sub != "3") return Reply(r, "04099");
  if (!AllDigits(cnpj, 14)) return Reply(r, "04002");
  const std::string csr = Base64Encode("CSR de teste " + std::string(kSerie) + " " + cnpj);
  if (sub == "3") {  // renewal of the certificate of an activated device
    if (!activated) return Reply(r, "04099");
    return Reply(r, "04006", {csr});
  }
  if (activated) return Reply(r, "04003");
  activationCode = code;
  cnpj_ = cnpj;
  if (sub == "2") return Reply(r, "04006", {csr});  // ends with ComunicarCertificadoICPBRASIL
  activated = true;
  blocked = false;
  return Reply(r, "04000", {csr});
}

std::string SatDevice::CommunicateCertificate(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  if (r.fields[1].empty()) return Reply(r, "05002");
  activated = true;
  return Reply(r, "05000");
}

std::string SatDevice::Sell(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  if (r.session && !issueRepeatedSales && SalesIssued(*r.session) > 0) {
    if (auto stored = StoredReply(*r.session)) return *stored;
  }
  const std::string &sale = r.fields[1];
  if (sale.find("<CFe") == std::string::npos) return Reply(r, "06010");

  const std::string emit = InnerOr(sale, "emit", "");
  const std::string ide = InnerOr(sale, "ide", "");
  const std::string emitCnpj = InnerOr(emit, "CNPJ", cnpj_);
  const std::string key = NewKey(emitCnpj);
  const std::string stamp = LocalTime("%Y%m%d%H%M%S");
  long long cents = 0;
  const std::string items = Items(sale, cents);
  const auto dest = Inner(sale, "dest");
  std::string destDoc = dest ? InnerOr(*dest, "CPF", InnerOr(*dest, "CNPJ", "")) : "";
  const std::string qr = Base64Encode("assinatura QR-Code " + key + " " + stamp);
  const std::string cfe =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe Id=\"CFe" + key +
      "\" versao=\"0.08\" versaoDadosEnt=\"0.08\" versaoSB=\"010000\"><ide><cUF>35</cUF><cNF>" + key.substr(37, 6) +
      "</cNF><mod>59</mod><nserieSAT>" + kSerie + "</nserieSAT><nCFe>" + key.substr(31, 6) + "</nCFe><dEmi>" +
      stamp.substr(0, 8) + "</dEmi><hEmi>" + stamp.substr(8) + "</hEmi><cDV>" + key.substr(43) +
      "</cDV><tpAmb>2</tpAmb><CNPJ>" + InnerOr(ide, "CNPJ", "") + "</CNPJ><signAC>" + InnerOr(ide, "signAC", "") +
      "</signAC><assinaturaQRCODE>" + qr + "</assinaturaQRCODE><numeroCaixa>" + InnerOr(ide, "numeroCaixa", "001") +
      "</numeroCaixa></ide><emit><CNPJ>" + emitCnpj +
      "</CNPJ><xNome>EMITENTE DE TESTE</xNome><enderEmit><xLgr>RUA DE TESTE</xLgr><nro>100</nro><xBairro>CENTRO"
      "</xBairro><xMun>SAO PAULO</xMun><CEP>01001000</CEP></enderEmit><IE>" +
      InnerOr(emit, "IE", "") + "</IE><cRegTrib>3</cRegTrib><indRatISSQN>N</indRatISSQN></emit>" +
      (dest && !dest->empty() ? "<dest>" + *dest + "</dest>" : "<dest/>") + items + "<total><vCFe>" + Cents(cents) +
      "</vCFe></total><pgto>" + InnerOr(sale, "pgto", "") + "</pgto></infCFe></CFe>";
  const std::string reply =
      Reply(r, "06000", {Base64Encode(cfe), stamp, "CFe" + key, Cents(cents), destDoc, qr});
  if (r.session) ++salesIssued_[*r.session];
  if (firstKey_.empty()) firstKey_ = key;
  lastSaleKey_ = "CFe" + key;
  lastSaleTotal_ = Cents(cents);
  lastSaleCancelled_ = false;
  lastCfeTime_ = stamp;
  Log("CF-e emitido: CFe" + key);
  return reply;
}

std::string SatDevice::Cancel(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  if (r.session && !issueRepeatedCancellations && CancellationsIssued(*r.session) > 0) {
    if (auto stored = StoredReply(*r.session)) return *stored;
  }
  const std::string &saleKey = r.fields[1];
  if (saleKey.empty()) return Reply(r, "07002");
  if (strictCancellation && (saleKey != lastSaleKey_ || lastSaleCancelled_)) return Reply(r, "07002");
  const std::string total = saleKey == lastSaleKey_ ? lastSaleTotal_ : "0.00";
  const std::string key = NewKey(cnpj_);
  const std::string stamp = LocalTime("%Y%m%d%H%M%S");
  const std::string qr = Base64Encode("assinatura QR-Code " + key + " " + stamp);
  const std::string &data = r.fields[2];
  const auto dest = Inner(data, "dest");
  const std::string cfe =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFeCanc><infCFe Id=\"CFe" + key + "\" chCanc=\"" + saleKey +
      "\" versao=\"0.08\"><dEmi>" + stamp.substr(0, 8) + "</dEmi><hEmi>" + stamp.substr(8) +
      "</hEmi><ide><cUF>35</cUF><cNF>" + key.substr(37, 6) + "</cNF><mod>59</mod><nserieSAT>" + kSerie +
      "</nserieSAT><nCFe>" + key.substr(31, 6) + "</nCFe><dEmi>" + stamp.substr(0, 8) + "</dEmi><hEmi>" +
      stamp.substr(8) + "</hEmi><cDV>" + key.substr(43) + "</cDV><assinaturaQRCODE>" + qr +
      "</assinaturaQRCODE><numeroCaixa>" + InnerOr(data, "numeroCaixa", "001") + "</numeroCaixa></ide><emit><CNPJ>" +
      cnpj_ + "</CNPJ><xNome>EMITENTE DE TESTE</xNome></emit>" +
      (dest && !dest->empty() ? "<dest>" + *dest + "</dest>" : "<dest/>") + "<total><vCFe>" + total +
      "</vCFe></total></infCFe></CFeCanc>";
  const std::string reply = Reply(r, "07000", {Base64Encode(cfe), stamp, "CFe" + key, total, qr});
  if (r.session) ++cancellationsIssued_[*r.session];
  if (saleKey == lastSaleKey_) lastSaleCancelled_ = true;
  Log("CF-e de cancelamento emitido: CFe" + key + " cancela " + saleKey);
  return reply;
}

std::string SatDevice::EndToEndTest(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  const std::string &sale = r.fields[1];
  const std::string emit = InnerOr(sale, "emit", "");
  const std::string key = NewKey(InnerOr(emit, "CNPJ", cnpj_));
  const std::string stamp = LocalTime("%Y%m%d%H%M%S");
  long long cents = 0;
  const std::string items = Items(sale, cents);
  const auto dest = Inner(sale, "dest");
  const std::string cfe =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe Id=\"CFe" + key +
      "\" versao=\"0.08\" versaoDadosEnt=\"0.08\" versaoSB=\"010000\"><ide><cUF>35</cUF><mod>59</mod><nserieSAT>" +
      kSerie + "</nserieSAT><nCFe>" + key.substr(31, 6) + "</nCFe><dEmi>" + stamp.substr(0, 8) + "</dEmi><hEmi>" +
      stamp.substr(8) + "</hEmi><tpAmb>2</tpAmb></ide><emit><CNPJ>" + InnerOr(emit, "CNPJ", cnpj_) + "</CNPJ><IE>" +
      InnerOr(emit, "IE", "") + "</IE></emit>" + (dest && !dest->empty() ? "<dest>" + *dest + "</dest>" : "<dest/>") +
      items + "<total><vCFe>" + Cents(cents) + "</vCFe></total></infCFe></CFe>";
  Log("Teste fim a fim: CFe" + key);
  return Reply(r, "09000", {Base64Encode(cfe), stamp, key.substr(31, 6), "CFe" + key});
}

std::string SatDevice::OperationalStatus(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  auto net = [this](const char *key, const char *otherwise) {
    auto it = network_.find(key);
    return it == network_.end() || it->second.empty() ? std::string(otherwise) : it->second;
  };
  const std::string now = LocalTime("%Y%m%d%H%M%S");
  const std::string zeros(44, '0');
  const std::string last = lastSaleKey_.empty() ? zeros : lastSaleKey_.substr(3);
  return Reply(r, "10000",
               {kSerie, net("tipoLan", "DHCP"), net("lanIP", "192.168.001.200"), "00:1A:2B:3C:4D:5E",
                net("lanMask", "255.255.255.000"), net("lanGW", "192.168.001.001"), net("lanDNS1", "008.008.008.008"),
                net("lanDNS2", "008.008.004.004"), "CONECTADO", "ALTO", "4 GB", std::to_string(couponNumber_ * 4) + " KB",
                now, "01.00.00", "00.08", last, firstKey_.empty() ? zeros : firstKey_, last,
                lastCfeTime_.empty() ? now : lastCfeTime_, now, "20240101", "20290101", blocked ? "2" : "0"});
}

std::string SatDevice::LookUpSession(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  auto looked = ReadInt(r.fields[1]);
  if (looked) {
    if (auto stored = StoredReply(*looked)) return *stored;
  }
  return Reply(r, "11003");
}

std::string SatDevice::LastFiscalSessionReply(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  if (lastFiscalSession_) {
    if (auto stored = StoredReply(*lastFiscalSession_)) return *stored;
  }
  return Reply(r, "19003");
}

std::string SatDevice::ConfigureNetwork(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  const std::string &doc = r.fields[1];
  if (doc.find("<config") == std::string::npos) return Reply(r, "12002");
  for (const char *key : {"tipoInter", "tipoLan", "lanIP", "lanMask", "lanGW", "lanDNS1", "lanDNS2"}) {
    if (auto v = Inner(doc, key)) network_[key] = *v;
  }
  return Reply(r, "12000");
}

std::string SatDevice::AssociateSignature(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  if (!AllDigits(r.fields[1], 28)) return Reply(r, "13004");
  if (r.fields[2].empty()) return Reply(r, "13003");
  signature_ = r.fields[2];
  return Reply(r, "13000");
}

std::string SatDevice::UpdateSoftware(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  Log("Software basico atualizado");
  return Reply(r, "14000");
}

std::string SatDevice::ExtractLogs(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  // The last SuperLog section is made at the time of the extraction, from the current state.
  SatDevice copy = *this;
  copy.Log("================= SuperLog NORVI ==================");
  copy.Log("NSERIE: " + std::string(kSerie));
  copy.Log(std::string("Ativado: ") + (activated ? "sim" : "nao"));
  copy.Log(std::string("ESTADO_OPERACAO: ") + (blocked ? "2 BLOQUEIO CONTRIBUINTE" : "0 DESBLOQUEADO"));
  copy.Log("CF-e emitidos: " + std::to_string(salesIssued_.size()));
  copy.Log("Ultimo CF-e: " + lastSaleKey_);
  copy.Log("===================================================");
  return Reply(r, "15000", {Base64Encode(copy.LogText())});
}

std::string SatDevice::Block(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  if (blocked) return Reply(r, "16002");
  blocked = true;
  Log("SAT bloqueado pelo contribuinte");
  return Reply(r, "16000");
}

std::string SatDevice::Unblock(const Request &r) {
  if (auto refusal = Refusal(r)) return *refusal;
  if (!blocked) return Reply(r, "17004");
  blocked = false;
  Log("SAT desbloqueado pelo contribuinte");
  return Reply(r, "17000");
}

std::string SatDevice::ChangeActivationCode(const Request &r) {
  const std::string &code = r.fields[0];
  const std::string &option = r.fields[1];
  const std::string &fresh = r.fields[2];
  if (option == "1") {
    if (code != activationCode) return Reply(r, "18001");
  } else if (option == "2") {
    if (code != emergencyCode) return Reply(r, "18002");
  } else {
    return Reply(r, "18099");
  }
  if (fresh != r.fields[3] || fresh.size() < 8 || fresh.size() > 32) return Reply(r, "18003");
  activationCode = fresh;
  Log("Codigo de ativacao alterado");
  return Reply(r, "18000");
}

}  // namespace satemu
