// Sale and cancellation: the functions whose reply may be lost after the device
// has already issued the coupon, so they recover by attempts.
#pragma once

#include <string>
#include <string_view>

#include "api/commands.h"  // EditaRespostaCancelamento, the reply edit they share

namespace cfe {

// The bodies of EnviarDadosVenda and CancelarUltimaVenda (lock held inside).
std::string EnviaVenda(int sessao, const std::string &codigoDeAtivacao, std::string_view dadosVenda);
std::string CancelaVenda(int sessao, const std::string &codigoDeAtivacao, const std::string &chave,
                         const std::string &dadosCancelamento);

}  // namespace cfe
