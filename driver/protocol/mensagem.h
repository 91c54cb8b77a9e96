// The texts exchanged with the device: a request's framing, a reply's head
// (session, return code), the busy reply, and one exchange over the link.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "protocol/comando.h"

namespace cfe {

// At least six digits with leading zeros; negative numbers keep their sign: -000042.
std::string TextoSessao(long long sessao);
// S and the first quantos fields after it, joined by "|".
std::string Campos(const std::string &sessao, const std::vector<std::string_view> &campos, size_t quantos);
// "|" + command code + "|" + session text, then each field after a "|": the request as
// the link sends it (the link adds "|" ETX). Built in one piece, since a sale's field
// may be megabytes.
std::string Requisicao(const Comando &c, std::string_view sessao, const std::vector<std::string_view> &campos);

// session + "|" + busy code + "|" + "SAT em processamento. Tente novamente." + "||",
// with "0000|" before the message in the command's form ComCampoExtra (sale and cancellation).
std::string RespostaOcupado(const Comando &c, int sessao);
// The up to five bytes after the first "|" (empty when there is none).
std::string CodigoRetorno(std::string_view resposta);
// The session text at the head of a reply: its first six characters.
std::string_view SessaoDaCabeca(std::string_view resposta);
// A received text as the caller sees it: up to its first zero byte.
std::string TextoC(std::string recebido);

// One exchange: deadline, request, reply. The reply is a zero-terminated text,
// so it is cut at its first zero byte; empty when nothing usable came.
std::string Troca(const Comando &c, const std::string &requisicao, int sessao);

}  // namespace cfe
