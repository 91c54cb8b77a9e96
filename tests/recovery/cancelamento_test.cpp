// CancelarUltimaVenda, attempt state by attempt state: what goes on the wire, what
// the (shorter) log shows, and the reply edit of what the caller gets back.
#include "cfedriver.h"
#include "tabela.h"

namespace recuperacao {
namespace {

// Session 42, activation code C, key K, cancellation data D.
const std::string S = "000042";
const std::string campos = S + "|C|K|D";
std::string N(int n) { return std::to_string(n); }

// The log lines.
std::string C1(int n) { return "CancelarUltimaVenda[" + N(n) + "]: " + campos; }
std::string C2(const std::string &c) { return "CancelarUltimaVenda -> CodRet: " + c; }
const std::string C3 = "CancelarUltimaVenda: possivel processo de atualizacao";
std::string Q1(int n) { return "(*)ConsultarNumeroSessao[" + N(n) + "]: " + S + "|C|" + S; }
std::string Q4(const std::string &c) { return "(*)ConsultarNumeroSessao -> CodRet: " + c; }
const std::string Q5 = "(*)ConsultarNumeroSessao: possivel processo de atualizacao";
std::string K6(const std::string &cabeca) { return "(*)ConsultarNumeroSessao -> ChrSessao: " + cabeca; }
const std::string K7 = "Cupom de cancelamento ja foi gerado. Sessao: 42";
std::string K8(int n) { return "(*)ConsultarNumeroSessao(Canc)[" + N(n) + "]: dados invalidos."; }
std::string U1(int n) { return "Retransmissao(atualiz.) -> CancelarUltimaVenda[" + N(n) + "]: " + campos; }
std::string R1(int n) { return "Retransmissao -> CancelarUltimaVenda[" + N(n) + "]: " + campos; }
std::string F1(int n, const std::string &r) { return "Resposta de CancelarUltimaVenda[" + N(n) + "]: " + r; }
// The final inquiry after the last attempt, and stray bytes before a reply.
const std::string I1 = "(*)CancelarUltimaVenda: destino do cupom incerto; consulta final da sessao " + S;
const std::string I2 = "(*)ConsultarNumeroSessao(final): " + S + "|C|" + S;
std::string I3(const std::string &r) { return "(*)Retorno de CancelarUltimaVenda|ConsultarNumeroSessao(final): " + r; }
const std::string INenhum = "(*)CancelarUltimaVenda: SAT nao tem cupom da sessao " + S + "; reenvio seguro";
const std::string IDesconhecido = "(*)CancelarUltimaVenda: SAT nao respondeu; destino do cupom da sessao " + S + " desconhecido";
std::string Lixo(const std::string &b) { return "(*)Bytes descartados antes da resposta da sessao " + S + ": " + b; }

// Device replies. A successful reply of eleven fields comes back with an empty
// field before its last one.
const std::string cancelado = S + "|07000|0000|Cupom cancelado com sucesso|20240101|CFe3524|10.00||QR|x|y";
const std::string canceladoEditado = S + "|07000|0000|Cupom cancelado com sucesso|20240101|CFe3524|10.00||QR|x||y";
const std::string invalido = S + "|07002|1412|Cupom inválido.|||";
const std::string ocupado1 = S + "|07098|0000|SAT em processamento 1";
const std::string ocupado2 = S + "|07098|0000|SAT em processamento 2";
const std::string ocupado3 = S + "|07098|0000|SAT em processamento 3";
const std::string consultaOcupada = S + "|11098|SAT em processamento";
const std::string semSessao = S + "|11003|Sessão não existe";
const std::string outraSessao = "000043|07000|0000|Cupom cancelado com sucesso|20240101|CFe3599|5.00||QR|x|y";
// What the reception lets through although it answers no transmission of this
// session: the tail of an earlier reply (its head is no number), and a late reply
// to the session query.
const std::string cauda = "l4YT4wMDE8L251bWVyb0NhaXhh|20240101|CFe3524|10.00||QR|x|y";
const std::string consultaAtrasada = semSessao;
// The library's own busy reply.
const std::string ocupado = S + "|07098|0000|SAT em processamento. Tente novamente.||";

const Linha kLinhas[] = {
    // FIRST
    {"FirstReplyIsEdited", 3, {}, {cancelado}, "T", {C1(1), C2("07000"), F1(1, canceladoEditado)}, canceladoEditado, 1},
    {"FirstRefusalIsReturnedUnchanged", 3, {}, {invalido}, "T", {C1(1), C2("07002"), F1(1, invalido)}, invalido, 1},
    // The attempts end with the cancellation's fate unknown: the device is asked first.
    {"OneAttemptNoReplyFinalQueryFindsNoCancellation", 1, {}, {nada, semSessao}, "TQ",
     {C1(1), I1, I2, I3(semSessao), INenhum, F1(2, ocupado)}, ocupado, 2},
    {"OneAttemptNoReplyFinalQueryFindsTheCancellationEdited", 1, {}, {nada, cancelado}, "TQ",
     {C1(1), I1, I2, I3(cancelado), K7, F1(2, canceladoEditado)}, canceladoEditado, 2},
    {"FinalQueryAnsweredBusyAsksAgainAfterAPause", 1, {}, {nada, consultaOcupada, cancelado}, "TQQ",
     {C1(1), I1, I2, I3(consultaOcupada), I2, I3(cancelado), K7, F1(2, canceladoEditado)}, canceladoEditado, 2, 1},
    {"FinalQueryUnansweredLeavesTheFateUnknown", 1, {}, {nada, nada}, "TQ",
     {C1(1), I1, I2, IDesconhecido, F1(2, ocupado)}, ocupado, 2},
    {"FirstReplyAfterStrayBytesIsEdited", 3, {}, {"\n" + cancelado}, "T",
     {C1(1), Lixo("\n"), C2("07000"), F1(1, canceladoEditado)}, canceladoEditado, 1},
    {"QueryReplyAfterStrayBytes", 3, {}, {nada, "#" + cancelado}, "TQ",
     {C1(1), Q1(2), Lixo("#"), Q4("07000"), K6(S + "|07"), K7, F1(2, canceladoEditado)}, canceladoEditado, 2},
    {"OneAttemptAbsent", 1, {1}, {}, "", {C1(1), F1(2, ocupado)}, ocupado, 2},
    {"FirstAbsentThenQueryFindsNoCancellationAndResends", 2, {1}, {semSessao, cancelado}, "QT",
     {C1(1), Q1(2), Q4("11003"), K6(S + "|11"), R1(2), C2("07000"), F1(2, canceladoEditado)}, canceladoEditado, 2},
    {"FirstNoReplyThenQueryFindsTheCancellation", 3, {}, {nada, cancelado}, "TQ",
     {C1(1), Q1(2), Q4("07000"), K6(S + "|07"), K7, F1(2, canceladoEditado)}, canceladoEditado, 2},
    {"BusyEveryTimeRetransmitsWithoutQuery", 3, {}, {ocupado1, ocupado2, ocupado3}, "TTT",
     {C1(1), C2("07098"), C3, Q1(2), U1(2), C2("07098"), C3, Q1(3), U1(3), C2("07098"), C3, F1(4, ocupado3)},
     ocupado3, 4},
    // UPDATE
    {"UpdateReplyIsEdited", 2, {}, {ocupado1, cancelado}, "TT",
     {C1(1), C2("07098"), C3, Q1(2), U1(2), C2("07000"), F1(2, canceladoEditado)}, canceladoEditado, 2},
    {"UpdateAbsentKeepsTheBusyFlag", 3, {2}, {ocupado1, cancelado}, "TT",
     {C1(1), C2("07098"), C3, Q1(2), Q1(3), U1(3), C2("07000"), F1(3, canceladoEditado)}, canceladoEditado, 3},
    // A retransmission without reply may have been issued: ask before sending again.
    {"UpdateNoReplyThenQueries", 3, {}, {ocupado1, nada, cancelado}, "TTQ",
     {C1(1), C2("07098"), C3, Q1(2), U1(2), Q1(3), Q4("07000"), K6(S + "|07"), K7, F1(3, canceladoEditado)},
     canceladoEditado, 3},
    // QUERY
    {"QueryAbsentKeepsQuerying", 3, {2}, {nada, cancelado}, "TQ",
     {C1(1), Q1(2), Q1(3), Q4("07000"), K6(S + "|07"), K7, F1(3, canceladoEditado)}, canceladoEditado, 3},
    {"QueryNoReplyQueriesAgain", 3, {}, {nada, nada, cancelado}, "TQQ",
     {C1(1), Q1(2), Q1(3), Q4("07000"), K6(S + "|07"), K7, F1(3, canceladoEditado)}, canceladoEditado, 3},
    {"QueryNoReplyRunsOut", 2, {}, {nada, nada, semSessao}, "TQQ",
     {C1(1), Q1(2), I1, I2, I3(semSessao), INenhum, F1(3, ocupado)}, ocupado, 3},
    // A busy query says nothing about the cancellation: ask again, never retransmit.
    {"QueryBusyQueriesAgain", 3, {}, {nada, consultaOcupada, cancelado}, "TQQ",
     {C1(1), Q1(2), Q4("11098"), Q5, Q1(3), Q4("07000"), K6(S + "|07"), K7, F1(3, canceladoEditado)},
     canceladoEditado, 3},
    {"QueryBusyRunsOutWithTheBusyReply", 2, {}, {nada, consultaOcupada, semSessao}, "TQQ",
     {C1(1), Q1(2), Q4("11098"), Q5, I1, I2, I3(semSessao), INenhum, F1(3, ocupado)}, ocupado, 3},
    {"QueryOfAnotherSessionQueriesAgain", 3, {}, {nada, outraSessao, cancelado}, "TQQ",
     {C1(1), Q1(2), Q4("07000"), K6("000043|07"), K8(2), Q1(3), Q4("07000"), K6(S + "|07"), K7,
      F1(3, canceladoEditado)},
     canceladoEditado, 3},
    {"QueryNoCancellationResendsInTheSameAttempt", 3, {}, {nada, semSessao, cancelado}, "TQT",
     {C1(1), Q1(2), Q4("11003"), K6(S + "|11"), R1(2), C2("07000"), F1(2, canceladoEditado)}, canceladoEditado, 2},
    // RESEND
    {"ResendNoReplyThenQueries", 3, {}, {nada, semSessao, nada, cancelado}, "TQTQ",
     {C1(1), Q1(2), Q4("11003"), K6(S + "|11"), R1(2), Q1(3), Q4("07000"), K6(S + "|07"), K7,
      F1(3, canceladoEditado)},
     canceladoEditado, 3},
    {"ResendBusyThenUpdates", 3, {}, {nada, semSessao, ocupado1, cancelado}, "TQTT",
     {C1(1), Q1(2), Q4("11003"), K6(S + "|11"), R1(2), C2("07098"), C3, Q1(3), U1(3), C2("07000"),
      F1(3, canceladoEditado)},
     canceladoEditado, 3},
    {"ResendBusyRunsOutWithTheBusyReply", 2, {}, {nada, semSessao, ocupado1}, "TQT",
     {C1(1), Q1(2), Q4("11003"), K6(S + "|11"), R1(2), C2("07098"), C3, F1(3, ocupado)}, ocupado, 3},
    // Not a reply to the transmission: the device may hold the cancellation, so it is asked.
    {"FirstAnsweredByATailCountsAsNoReply", 3, {}, {cauda, cancelado}, "TQ",
     {C1(1), Q1(2), Q4("07000"), K6(S + "|07"), K7, F1(2, canceladoEditado)}, canceladoEditado, 2},
    {"ResendAnsweredByALateQueryReplyCountsAsNoReply", 3, {}, {nada, semSessao, consultaAtrasada, cancelado}, "TQTQ",
     {C1(1), Q1(2), Q4("11003"), K6(S + "|11"), R1(2), Q1(3), Q4("07000"), K6(S + "|07"), K7,
      F1(3, canceladoEditado)},
     canceladoEditado, 3},
};

class CancelamentoTest : public TabelaTest, public ::testing::WithParamInterface<Linha> {};

TEST_P(CancelamentoTest, AttemptTable) {
  Confere(GetParam(), "|04|" + campos, "|08|" + S + "|C|" + S,
          [] { return std::string(CancelarUltimaVenda(42, "C", "K", "D")); });
}

INSTANTIATE_TEST_SUITE_P(CancelarUltimaVenda, CancelamentoTest, ::testing::ValuesIn(kLinhas), NomeDaLinha);

}  // namespace
}  // namespace recuperacao
