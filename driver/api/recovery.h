// Sale and cancellation: the functions whose reply may be lost after the device
// has already issued the coupon, so they recover by attempts.
#pragma once

#include <string>

namespace cfe {

// The bodies of EnviarDadosVenda and CancelarUltimaVenda (lock held inside).
std::string EnviaVenda(int sessao, const std::string &codigoDeAtivacao, const std::string &dadosVenda);
std::string CancelaVenda(int sessao, const std::string &codigoDeAtivacao, const std::string &chave,
                         const std::string &dadosCancelamento);

// A successful cancellation reply of exactly eleven fields gains an empty field
// before its last one; any other reply stays as it is.
std::string EditaRespostaCancelamento(const std::string &resposta);

}  // namespace cfe
