// EnviarDadosVenda, attempt state by attempt state: what goes on the wire, what
// the log shows, what the caller gets back.
#include "cfedriver.h"
#include "tabela.h"

namespace recuperacao {
namespace {

// Session 42, activation code C, sale <CFe/>.
const std::string S = "000042";
const std::string campos = S + "|C|<CFe/>";
std::string N(int n) { return std::to_string(n); }

// The log lines.
std::string E1(int n) { return "EnviarDadosVenda[" + N(n) + "]: " + campos; }
std::string E2(int n) { return "(***)EnviarDadosVendas -> Tentativa: " + N(n) + " falhou"; }
std::string E3(int n, const std::string &r) { return "(*)Retorno de EnviarDadosVenda[" + N(n) + "]: " + r; }
std::string E4(int n, const std::string &c) { return "EnviarDadosVenda[" + N(n) + "] -> CodRet: " + c; }
std::string E5(int n) { return "EnviarDadosVendas[" + N(n) + "}: possivel processo de atualizacao"; }
std::string E6(int n) { return "(**)EnviarDadosVendas -> Tentativa: " + N(n) + " falhou"; }
std::string Q1(int n) { return "(*)ConsultarNumeroSessao[" + N(n) + "]: " + S + "|C|" + S; }
std::string Q2(int n) { return "(**)EnviarDadosVendas|ConsultarNumeroSessao -> Tentativa: " + N(n) + " falhou"; }
std::string Q3(int n, const std::string &r) {
  return "(*)Retorno de EnviarDadosVenda|ConsultarNumeroSessao[" + N(n) + "]: " + r;
}
std::string Q4(const std::string &c) { return "(*)ConsultarNumeroSessao -> CodRet: " + c; }
const std::string Q5 = "(*)ConsultarNumeroSessao: possivel processo de atualizacao";
std::string Q6(const std::string &cabeca) {
  return "(*)ConsultarNumeroSessao -> Sessao: " + cabeca + " ( Esperado: " + S + "|06 )";
}
const std::string Q7 = "Cupom ja foi gerado. Sessao: 42";
std::string Q8(int n, const std::string &sessao) {
  return "(*)ConsultarNumeroSessao[" + N(n) + "]: dados invalidos (" + sessao + "|" + S + ")";
}
std::string Q9(int n) { return "(**)EnviarDadosVenda|ConsultarNumeroSessao -> Tentativa: " + N(n) + " falhou"; }
std::string R1(int n) { return "(*)Retransmisssao -> EnviarDadosVenda[" + N(n) + "]: " + campos; }
std::string R2(int n, const std::string &r) {
  return "(*)Retorno de Retransmissão EnviarDadosVenda[" + N(n) + "]: " + r;
}
std::string R3(int n) { return "EnviarDadosVenda[" + N(n) + "]: possivel processo de atualizacao"; }
std::string R4(int n) { return "(**)Retransmissão EnviarDadosVenda -> Tentativa: " + N(n) + " falhou"; }
std::string U1(int n) { return "Retransmisssao(atualiz.) -> EnviarDadosVenda[" + N(n) + "]: " + campos; }
std::string U2(int n, const std::string &r) {
  return "(*)Retorno de Retransmissão EnviarDadosVenda(atualiz.)[" + N(n) + "]: " + r;
}
std::string U3(int n, const std::string &c) { return "EnviarDadosVenda(atualiz.)[" + N(n) + "] -> CodRet: " + c; }
std::string U4(int n) { return "EnviarDadosVendas(atualiz.)[" + N(n) + "]: possivel processo de atualizacao"; }
std::string U5(int n) { return "(**)Retransmissão EnviarDadosVenda(atualiz.) -> Tentativa: " + N(n) + " falhou"; }
std::string F1(int n, const std::string &r) { return "Resposta de EnviarDadosVenda[" + N(n) + "]: " + r; }
// The final inquiry after the last attempt, and stray bytes before a reply.
const std::string I1 = "(*)EnviarDadosVenda: destino do cupom incerto; consulta final da sessao " + S;
const std::string I2 = "(*)ConsultarNumeroSessao(final): " + S + "|C|" + S;
std::string I3(const std::string &r) { return "(*)Retorno de EnviarDadosVenda|ConsultarNumeroSessao(final): " + r; }
const std::string INenhum = "(*)EnviarDadosVenda: SAT nao tem cupom da sessao " + S + "; reenvio seguro";
const std::string IDesconhecido = "(*)EnviarDadosVenda: SAT nao respondeu; destino do cupom da sessao " + S + " desconhecido";
std::string Lixo(const std::string &b) { return "(*)Bytes descartados antes da resposta da sessao " + S + ": " + b; }

// Device replies.
const std::string emitido = S + "|06000|0000|Emitido com sucesso|20240101120000|CFe3524|10.00||QR";
const std::string rejeitado = S + "|06010|1999|Erro de validação do conteúdo.|||";
const std::string ocupado1 = S + "|06098|0000|SAT em processamento 1";
const std::string ocupado2 = S + "|06098|0000|SAT em processamento 2";
const std::string ocupado3 = S + "|06098|0000|SAT em processamento 3";
const std::string consultaOcupada = S + "|11098|SAT em processamento";
const std::string semSessao = S + "|11003|Sessão não existe";  // the device holds no coupon for it
const std::string outraSessao = "000043|06000|0000|Emitido com sucesso|||CFe3599|5.00||QR";
// What the reception lets through although it answers no transmission of this
// session: the tail of an earlier reply (its head is no number), and a late reply
// to the session query.
const std::string cauda = "yaWI+MzwvY1JlZ1RyaWI+|20240101120000|CFe3524|10.00||QR";
const std::string consultaAtrasada = semSessao;
// The library's own busy reply.
const std::string ocupado = S + "|06098|0000|SAT em processamento. Tente novamente.||";

const Linha kLinhas[] = {
    // FIRST
    {"FirstReply", 3, {}, {emitido}, "T", {E1(1), E3(1, emitido), E4(1, "06000"), F1(1, emitido)}, emitido, 1},
    {"FirstRefusalIsReturned", 3, {}, {rejeitado}, "T",
     {E1(1), E3(1, rejeitado), E4(1, "06010"), F1(1, rejeitado)}, rejeitado, 1},
    // The attempts end with the sale's fate unknown: the device is asked before the busy reply.
    {"OneAttemptNoReplyFinalQueryFindsNoCoupon", 1, {}, {nada, semSessao}, "TQ",
     {E1(1), E6(1), I1, I2, I3(semSessao), INenhum, F1(2, ocupado)}, ocupado, 2},
    {"OneAttemptNoReplyFinalQueryFindsTheCoupon", 1, {}, {nada, emitido}, "TQ",
     {E1(1), E6(1), I1, I2, I3(emitido), Q7, F1(2, emitido)}, emitido, 2},
    {"FinalQueryAnsweredBusyAsksAgainAfterAPause", 1, {}, {nada, consultaOcupada, emitido}, "TQQ",
     {E1(1), E6(1), I1, I2, I3(consultaOcupada), I2, I3(emitido), Q7, F1(2, emitido)}, emitido, 2, 1},
    {"FinalQueryOfAnotherSessionAsksAgain", 1, {}, {nada, outraSessao, semSessao}, "TQQ",
     {E1(1), E6(1), I1, I2, I3(outraSessao), I2, I3(semSessao), INenhum, F1(2, ocupado)}, ocupado, 2, 1},
    // The one query waits out the function's whole time-out: the fate stays unknown.
    {"FinalQueryUnansweredLeavesTheFateUnknown", 1, {}, {nada, nada}, "TQ",
     {E1(1), E6(1), I1, I2, IDesconhecido, F1(2, ocupado)}, ocupado, 2},
    // Stray bytes before a coupon reply of the session are dropped.
    {"FirstReplyAfterStrayBytes", 3, {}, {"\n" + emitido}, "T",
     {E1(1), Lixo("\n"), E3(1, emitido), E4(1, "06000"), F1(1, emitido)}, emitido, 1},
    {"QueryReplyAfterStrayBytes", 3, {}, {nada, "#" + emitido}, "TQ",
     {E1(1), E6(1), Q1(2), Lixo("#"), Q3(2, emitido), Q4("06000"), Q6(S + "|06"), Q7, F1(2, emitido)}, emitido, 2},
    // ...but not when the head is the end of a longer session number.
    {"AHeadInsideALongerSessionNumberIsNoReply", 1, {}, {"x1" + emitido, semSessao}, "TQ",
     {E1(1), E6(1), I1, I2, I3(semSessao), INenhum, F1(2, ocupado)}, ocupado, 2},
    {"OneAttemptAbsent", 1, {1}, {}, "", {E1(1), E2(1), F1(2, ocupado)}, ocupado, 2},
    {"FirstAbsentThenQueryFindsNoCouponAndResends", 2, {1}, {semSessao, emitido}, "QT",
     {E1(1), E2(1), Q1(2), Q3(2, semSessao), Q4("11003"), Q6(S + "|11"), R1(2), R2(2, emitido), E4(2, "06000"),
      F1(2, emitido)},
     emitido, 2},
    // Example run: no reply, and the query finds the coupon after one pause.
    {"FirstNoReplyThenQueryFindsTheCoupon", 3, {}, {nada, emitido}, "TQ",
     {E1(1), E6(1), Q1(2), Q3(2, emitido), Q4("06000"), Q6(S + "|06"), Q7, F1(2, emitido)}, emitido, 2},
    // Example run: busy three times, no query; the last device reply is returned.
    {"BusyEveryTimeRetransmitsWithoutQuery", 3, {}, {ocupado1, ocupado2, ocupado3}, "TTT",
     {E1(1), E3(1, ocupado1), E4(1, "06098"), E5(1), Q1(2), U1(2), U2(2, ocupado2), U3(2, "06098"), U4(2), Q1(3),
      U1(3), U2(3, ocupado3), U3(3, "06098"), U4(3), F1(4, ocupado3)},
     ocupado3, 4},
    // UPDATE
    {"UpdateReply", 2, {}, {ocupado1, emitido}, "TT",
     {E1(1), E3(1, ocupado1), E4(1, "06098"), E5(1), Q1(2), U1(2), U2(2, emitido), U3(2, "06000"), F1(2, emitido)},
     emitido, 2},
    {"UpdateAbsentKeepsTheBusyFlag", 3, {2}, {ocupado1, emitido}, "TT",
     {E1(1), E3(1, ocupado1), E4(1, "06098"), E5(1), Q1(2), Q2(2), Q1(3), U1(3), U2(3, emitido), U3(3, "06000"),
      F1(3, emitido)},
     emitido, 3},
    {"UpdateAbsentLastAttemptGivesTheBusyReply", 2, {2}, {ocupado1}, "T",
     {E1(1), E3(1, ocupado1), E4(1, "06098"), E5(1), Q1(2), Q2(2), F1(3, ocupado)}, ocupado, 3},
    // A retransmission without reply may have been issued: ask before sending again.
    {"UpdateNoReplyThenQueries", 3, {}, {ocupado1, nada, emitido}, "TTQ",
     {E1(1), E3(1, ocupado1), E4(1, "06098"), E5(1), Q1(2), U1(2), U5(2), Q1(3), Q3(3, emitido), Q4("06000"),
      Q6(S + "|06"), Q7, F1(3, emitido)},
     emitido, 3},
    // QUERY
    {"QueryAbsentKeepsQuerying", 3, {2}, {nada, emitido}, "TQ",
     {E1(1), E6(1), Q1(2), Q2(2), Q1(3), Q3(3, emitido), Q4("06000"), Q6(S + "|06"), Q7, F1(3, emitido)}, emitido, 3},
    {"QueryNoReplyQueriesAgain", 3, {}, {nada, nada, emitido}, "TQQ",
     {E1(1), E6(1), Q1(2), Q9(2), Q1(3), Q3(3, emitido), Q4("06000"), Q6(S + "|06"), Q7, F1(3, emitido)}, emitido, 3},
    {"QueryNoReplyRunsOut", 2, {}, {nada, nada, semSessao}, "TQQ",
     {E1(1), E6(1), Q1(2), Q9(2), I1, I2, I3(semSessao), INenhum, F1(3, ocupado)}, ocupado, 3},
    // A busy query says nothing about the coupon: ask again, never retransmit.
    {"QueryBusyQueriesAgain", 3, {}, {nada, consultaOcupada, emitido}, "TQQ",
     {E1(1), E6(1), Q1(2), Q3(2, consultaOcupada), Q4("11098"), Q5, Q1(3), Q3(3, emitido), Q4("06000"),
      Q6(S + "|06"), Q7, F1(3, emitido)},
     emitido, 3},
    {"QueryBusyRunsOutWithTheBusyReply", 2, {}, {nada, consultaOcupada, semSessao}, "TQQ",
     {E1(1), E6(1), Q1(2), Q3(2, consultaOcupada), Q4("11098"), Q5, I1, I2, I3(semSessao), INenhum, F1(3, ocupado)},
     ocupado, 3},
    {"QueryOfAnotherSessionQueriesAgain", 3, {}, {nada, outraSessao, emitido}, "TQQ",
     {E1(1), E6(1), Q1(2), Q3(2, outraSessao), Q4("06000"), Q6("000043|06"), Q8(2, "000043"), Q1(3),
      Q3(3, emitido), Q4("06000"), Q6(S + "|06"), Q7, F1(3, emitido)},
     emitido, 3},
    // Example run: the device holds no coupon for the session; resent in the same attempt.
    {"QueryNoCouponResendsInTheSameAttempt", 3, {}, {nada, semSessao, emitido}, "TQT",
     {E1(1), E6(1), Q1(2), Q3(2, semSessao), Q4("11003"), Q6(S + "|11"), R1(2), R2(2, emitido), E4(2, "06000"),
      F1(2, emitido)},
     emitido, 2},
    // RESEND
    {"ResendNoReplyThenQueries", 3, {}, {nada, semSessao, nada, emitido}, "TQTQ",
     {E1(1), E6(1), Q1(2), Q3(2, semSessao), Q4("11003"), Q6(S + "|11"), R1(2), R4(2), Q1(3), Q3(3, emitido),
      Q4("06000"), Q6(S + "|06"), Q7, F1(3, emitido)},
     emitido, 3},
    {"ResendBusyThenUpdates", 3, {}, {nada, semSessao, ocupado1, emitido}, "TQTT",
     {E1(1), E6(1), Q1(2), Q3(2, semSessao), Q4("11003"), Q6(S + "|11"), R1(2), R2(2, ocupado1), E4(2, "06098"),
      R3(2), Q1(3), U1(3), U2(3, emitido), U3(3, "06000"), F1(3, emitido)},
     emitido, 3},
    {"ResendBusyRunsOutWithTheBusyReply", 2, {}, {nada, semSessao, ocupado1}, "TQT",
     {E1(1), E6(1), Q1(2), Q3(2, semSessao), Q4("11003"), Q6(S + "|11"), R1(2), R2(2, ocupado1), E4(2, "06098"),
      R3(2), F1(3, ocupado)},
     ocupado, 3},
    // Not a reply to the transmission: the device may hold the coupon, so it is asked.
    {"FirstAnsweredByATailCountsAsNoReply", 3, {}, {cauda, emitido}, "TQ",
     {E1(1), E6(1), Q1(2), Q3(2, emitido), Q4("06000"), Q6(S + "|06"), Q7, F1(2, emitido)}, emitido, 2},
    {"ResendAnsweredByALateQueryReplyCountsAsNoReply", 3, {}, {nada, semSessao, consultaAtrasada, emitido}, "TQTQ",
     {E1(1), E6(1), Q1(2), Q3(2, semSessao), Q4("11003"), Q6(S + "|11"), R1(2), R4(2), Q1(3), Q3(3, emitido),
      Q4("06000"), Q6(S + "|06"), Q7, F1(3, emitido)},
     emitido, 3},
};

class VendaTest : public TabelaTest, public ::testing::WithParamInterface<Linha> {};

TEST_P(VendaTest, AttemptTable) {
  Confere(GetParam(), "|03|" + campos, "|08|" + S + "|C|" + S,
          [] { return std::string(EnviarDadosVenda(42, "C", "<CFe/>")); });
}

INSTANTIATE_TEST_SUITE_P(EnviarDadosVenda, VendaTest, ::testing::ValuesIn(kLinhas), NomeDaLinha);

}  // namespace
}  // namespace recuperacao
