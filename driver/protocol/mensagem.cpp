#include "protocol/mensagem.h"

#include <cstdlib>
#include <optional>

#include "link/connection.h"

namespace cfe {

std::string TextoSessao(long long sessao) {
  std::string digitos = std::to_string(std::llabs(sessao));
  if (digitos.size() < 6) digitos.insert(0, 6 - digitos.size(), '0');
  return sessao < 0 ? "-" + digitos : digitos;
}

namespace {

// Appends S and the first quantos fields, each after a "|", growing the text once.
void AcrescentaCampos(std::string &texto, std::string_view sessao, const std::vector<std::string_view> &campos,
                      size_t quantos) {
  size_t tamanho = texto.size() + sessao.size();
  for (size_t i = 0; i < quantos; ++i) tamanho += 1 + campos[i].size();
  texto.reserve(tamanho);
  texto += sessao;
  for (size_t i = 0; i < quantos; ++i) {
    texto += '|';
    texto += campos[i];
  }
}

}  // namespace

std::string Campos(const std::string &sessao, const std::vector<std::string_view> &campos, size_t quantos) {
  std::string texto;
  AcrescentaCampos(texto, sessao, campos, quantos);
  return texto;
}

std::string Requisicao(const Comando &c, std::string_view sessao, const std::vector<std::string_view> &campos) {
  std::string r = "|";
  r += c.codigo;
  r += '|';
  AcrescentaCampos(r, sessao, campos, campos.size());
  return r;
}

std::string RespostaOcupado(const Comando &c, int sessao) {
  const bool comExtra = c.formaOcupado == FormaOcupado::ComCampoExtra;
  return TextoSessao(sessao) + "|" + c.ocupado + "|" + (comExtra ? "0000|" : "") +
         "SAT em processamento. Tente novamente.||";
}

std::string CodigoRetorno(std::string_view resposta) {
  size_t barra = resposta.find('|');
  if (barra == std::string_view::npos) return "";
  return std::string(resposta.substr(barra + 1, 5));
}

std::string_view SessaoDaCabeca(std::string_view resposta) { return resposta.substr(0, 6); }

std::string TextoC(std::string recebido) {
  size_t zero = recebido.find('\0');
  if (zero != std::string::npos) recebido.resize(zero);
  return recebido;
}

std::string Troca(const Comando &c, const std::string &requisicao, int sessao) {
  DefinePrazo(c.funcao);
  if (!EnviaParaSat(requisicao)) return "";
  return TextoC(RecebeDoSat(c.recepcao == Recepcao::ChecaSessao ? std::optional<int>(sessao) : std::nullopt));
}

}  // namespace cfe
