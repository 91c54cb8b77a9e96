#include "functions.h"

#include <cfedriver.h>

#include <cstdio>
#include <string_view>

namespace cfehub {

namespace {

// The library's text is valid until this thread's next call: copy it at once.
std::string Copy(const char *reply) { return reply ? std::string(reply) : std::string(); }

const FieldSpec kDadosVenda{"dados_venda", FieldKind::Text};

// A SAT function's busy code and busy reply form, by its name, as the library's table gives them.
struct TableRow {
  const char *name;
  const char *busyCode;
  bool saleLike;
};
#define CFE_HUB_ROW(nome, parametros, argumentos, ordemTool, codigo, ocupado, chave, nomeTimeout, minutos, segundos, \
                    recepcao, formaOcupado)                                                                       \
  {#nome, ocupado, std::string_view(#formaOcupado) == "ComCampoExtra"},
#define CFE_HUB_NO_ROW(...)
constexpr TableRow kTableRows[] = {CFE_FUNCOES(CFE_HUB_ROW, CFE_HUB_NO_ROW)};
#undef CFE_HUB_ROW
#undef CFE_HUB_NO_ROW

void FillFromTable(SatFunction &function) {
  for (const auto &row : kTableRows) {
    if (std::string_view(row.name) != function.name) continue;
    function.busyCode = row.busyCode;
    function.saleLike = row.saleLike;
  }
}

std::vector<SatFunction> MakeTable() {
  using A = const Arguments &;
  using S = const std::string &;
  std::vector<SatFunction> table = {
      {"consultarsat", "ConsultarSAT", {}, nullptr, [](int s, S, A) { return Copy(ConsultarSAT(s)); }},
      {"ativarsat", "AtivarSAT",
       {{"tipo_certificado", FieldKind::Integer, 1, 3}, {"cnpj", FieldKind::Text}, {"codigo_uf", FieldKind::Integer, 0, 99}},
       nullptr, [](int s, S c, A a) {
         return Copy(AtivarSAT(s, a.Integer("tipo_certificado"), c.c_str(), a.Text("cnpj").c_str(), a.Integer("codigo_uf")));
       }},
      {"comunicarcertificadoicpbrasil", "ComunicarCertificadoICPBRASIL",
       {{"certificado", FieldKind::Text}},
       nullptr, [](int s, S c, A a) { return Copy(ComunicarCertificadoICPBRASIL(s, c.c_str(), a.Text("certificado").c_str())); }},
      {"enviardadosvenda", "EnviarDadosVenda", {kDadosVenda},
       nullptr, [](int s, S c, A a) { return Copy(EnviarDadosVenda(s, c.c_str(), a.Text("dados_venda").c_str())); }},
      {"cancelarultimavenda", "CancelarUltimaVenda",
       {{"chave_cfe", FieldKind::Text}, {"dados_cancelamento", FieldKind::Text}},
       nullptr, [](int s, S c, A a) {
         return Copy(CancelarUltimaVenda(s, c.c_str(), a.Text("chave_cfe").c_str(), a.Text("dados_cancelamento").c_str()));
       }},
      {"testefimafim", "TesteFimAFim", {kDadosVenda},
       nullptr, [](int s, S c, A a) { return Copy(TesteFimAFim(s, c.c_str(), a.Text("dados_venda").c_str())); }},
      {"consultarstatusoperacional", "ConsultarStatusOperacional", {},
       nullptr, [](int s, S c, A) { return Copy(ConsultarStatusOperacional(s, c.c_str())); }},
      {"consultarnumerosessao", "ConsultarNumeroSessao",
       {{"numero_sessao", FieldKind::Integer, 1, 999999}},
       nullptr, [](int s, S c, A a) { return Copy(ConsultarNumeroSessao(s, c.c_str(), a.Integer("numero_sessao"))); }},
      {"configurarinterfacederede", "ConfigurarInterfaceDeRede",
       {{"configuracao", FieldKind::Text}},
       nullptr, [](int s, S c, A a) { return Copy(ConfigurarInterfaceDeRede(s, c.c_str(), a.Text("configuracao").c_str())); }},
      {"associarassinatura", "AssociarAssinatura",
       {{"sequencia_cnpj", FieldKind::Text}, {"assinatura_ac", FieldKind::Text}},
       nullptr, [](int s, S c, A a) {
         return Copy(AssociarAssinatura(s, c.c_str(), a.Text("sequencia_cnpj").c_str(), a.Text("assinatura_ac").c_str()));
       }},
      {"atualizarsoftwaresat", "AtualizarSoftwareSAT", {},
       nullptr, [](int s, S c, A) { return Copy(AtualizarSoftwareSAT(s, c.c_str())); }},
      {"extrairlogs", "ExtrairLogs", {}, nullptr, [](int s, S c, A) { return Copy(ExtrairLogs(s, c.c_str())); }},
      {"bloquearsat", "BloquearSAT", {}, nullptr, [](int s, S c, A) { return Copy(BloquearSAT(s, c.c_str())); }},
      {"desbloquearsat", "DesbloquearSAT", {},
       nullptr, [](int s, S c, A) { return Copy(DesbloquearSAT(s, c.c_str())); }},
      // opcao 1: the code in force authorises the change; opcao 2: the emergency code does.
      {"trocarcodigodeativacao", "TrocarCodigoDeAtivacao",
       {{"novo_codigo_ativacao", FieldKind::Text},
        {"opcao", FieldKind::Integer, 1, 2},
        {"codigo_emergencia", FieldKind::Text, 0, 0, true}},
       [](A a) { return a.Integer("opcao") == 2 && !a.Has("codigo_emergencia") ? "codigo_emergencia" : ""; },
       [](int s, S c, A a) {
         const int opcao = a.Integer("opcao");
         const std::string &autoriza = opcao == 2 ? a.Text("codigo_emergencia") : c;
         const std::string &novo = a.Text("novo_codigo_ativacao");
         return Copy(TrocarCodigoDeAtivacao(s, autoriza.c_str(), opcao, novo.c_str(), novo.c_str()));
       }},
      {"consultarultimasessaofiscal", "ConsultarUltimaSessaoFiscal", {},
       nullptr, [](int s, S c, A) { return Copy(ConsultarUltimaSessaoFiscal(s, c.c_str())); }},
  };
  for (auto &function : table) FillFromTable(function);
  return table;
}

}  // namespace

const std::vector<SatFunction> &SatFunctions() {
  static const std::vector<SatFunction> table = MakeTable();
  return table;
}

const SatFunction *FindSatFunction(std::string_view path) {
  for (const auto &f : SatFunctions()) {
    if (path == f.path) return &f;
  }
  return nullptr;
}

std::string SessionText(int session) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", session);
  return text;
}

std::string BusyReply(const SatFunction &function, int session) {
  return SessionText(session) + "|" + function.busyCode + "|" + (function.saleLike ? "0000|" : "") +
         "SAT em processamento. Tente novamente.||";
}

std::string ReturnCode(const std::string &reply) {
  const size_t bar = reply.find('|');
  if (bar == std::string::npos) return "";
  return reply.substr(bar + 1, 5);
}

}  // namespace cfehub
