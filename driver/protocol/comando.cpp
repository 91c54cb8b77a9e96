#include "protocol/comando.h"

namespace cfe {

#define CFE_DEFINE_COMANDO(nome, parametros, argumentos, ordemTool, codigo, ocupado, chave, nomeTimeout, minutos, \
                           segundos, recepcao, formaOcupado)                                                   \
  const Comando kCmd##nome{k##nome, #nome, codigo, ocupado, Recepcao::recepcao, FormaOcupado::formaOcupado};
#define CFE_SEM_COMANDO(...)
CFE_FUNCOES(CFE_DEFINE_COMANDO, CFE_SEM_COMANDO)
#undef CFE_DEFINE_COMANDO
#undef CFE_SEM_COMANDO

}  // namespace cfe
