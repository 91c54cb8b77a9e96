// What the attempt tables of EnviarDadosVenda and CancelarUltimaVenda are tested
// with: a scripted device on a pseudo-terminal, found through a fake sysfs tree,
// that can be unplugged for single attempts; the library restarted with the
// debug log on and short deadlines.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support.h"

namespace recuperacao {

using Resposta = std::optional<std::string>;  // nothing: the device stays silent
inline const Resposta nada = std::nullopt;

// One row: how the device behaves, and what the call must show.
struct Linha {
  const char *nome;
  int nTent;
  std::set<int> ausentes;           // attempts during which the device is unplugged
  std::vector<Resposta> respostas;  // the answer to each request that reaches the device, in order
  std::string fio;                  // the requests on the wire: T the coupon, Q the session query
  std::vector<std::string> log;     // the call's own log lines, in order
  std::string resultado;
  int nFinal;  // the attempt number in F1
  int pausasFinais = 0;  // pauses of the final session inquiry, after the last attempt
};

// Test names come from the rows; a failing row is shown by its name.
std::string NomeDaLinha(const ::testing::TestParamInfo<Linha> &info);
void PrintTo(const Linha &l, std::ostream *os);

class TabelaTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Restarts the library with N_TENT = nTent, TMP_TENT = 6, the debug log on
  // (unless debug is false), and every deadline of a sale, cancellation or
  // session query at 20 s (200 ms with the test clock); extra lines go into [DEFAULT].
  void Reinicia(int nTent, const std::string &extra = "", bool debug = true);
  // Scripts the device and the attempts in which it is unplugged, runs the call,
  // and checks requests, log lines, result, F1's attempt number and the pauses.
  void Confere(const Linha &l, const std::string &transmissao, const std::string &consulta,
               const std::function<std::string()> &chama);

  // The call's own lines: the link's lines (connection, framing, port search) left out.
  std::vector<std::string> LogDaChamada() const;
  // Plugs the device in or pulls it out.
  void Conecta(bool presente);

 public:
  // Told of every pause between attempts: the next attempt begins.
  void ProximaTentativa();

 protected:
  cfetest::PastaTemp pasta;
  cfetest::SysfsFalso sysfs{pasta / "sys", pasta / "dev"};
  cfetest::DispositivoFalso dispositivo;
  std::set<int> ausentes_;
  int tentativa_ = 1;
};

}  // namespace recuperacao
