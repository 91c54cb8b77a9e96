#!/usr/bin/env bash
# The shared library exports the seventeen C functions and nothing else.
set -euo pipefail
lib=$1
expected="AssociarAssinatura AtivarSAT AtualizarSoftwareSAT BloquearSAT CancelarUltimaVenda
ComunicarCertificadoICPBRASIL ConfigurarInterfaceDeRede ConsultarNumeroSessao ConsultarSAT
ConsultarStatusOperacional ConsultarUltimaSessaoFiscal DesbloquearSAT EnviarDadosVenda ExtrairLogs
SetDriver TesteFimAFim TrocarCodigoDeAtivacao"
actual=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TDBRVWiu]$/ {print $3}' | sort)
want=$(echo $expected | tr ' ' '\n' | sort)
if [ "$actual" != "$want" ]; then
  echo "exported symbols differ:"; diff <(echo "$want") <(echo "$actual") || true
  exit 1
fi
echo "17 exports, nothing else"
