/* The seventeen functions of cfedriver, one row each: the sixteen SAT functions
 * and the control function SetDriver. The library's declarations, exports,
 * command constants and time-out table, the tool's binding and the command
 * line's list are all made from these rows.
 *
 * CFE_FUNCOES(SAT, CONTROLE) expands SAT(...) for each SAT function and
 * CONTROLE(...) for SetDriver. Both begin with the same four columns:
 *   nome         the exported name
 *   parametros   the C parameter list, in parentheses
 *   argumentos   the same names as a call's arguments, in parentheses
 *   ordemTool    the position in which cfetool looks the entry point up (1..17)
 * SAT rows go on with:
 *   codigo       command code of the request, "01" ... "20"
 *   ocupado      busy code of the busy reply, "04098" ...
 *   chave        key of section TIMEOUT in sat.ini
 *   nomeTimeout  name of the time-out entry in the log (spelling as logged)
 *   minutos, segundos  the built-in time-out
 *   recepcao     ChecaSessao: a reply of another session is discarded;
 *                SemChecagem: any reply is taken
 *   formaOcupado Curta: session|busy code|message||;
 *                ComCampoExtra: session|busy code|0000|message||
 * The SAT rows stand in the order of the time-out table, which is the order in
 * which start-up reads section TIMEOUT. */
#ifndef CFEDRIVER_FUNCOES_H
#define CFEDRIVER_FUNCOES_H

/* clang-format off */
#define CFE_FUNCOES(SAT, CONTROLE) \
  SAT(AtivarSAT, \
      (int numeroSessao, int subComando, const char *codigoDeAtivacao, const char *CNPJ, int cUF), \
      (numeroSessao, subComando, codigoDeAtivacao, CNPJ, cUF), 15, \
      "01", "04098", "T_ATIVAR_SAT", "Timeout_AtivarSAT", 5, 0, ChecaSessao, Curta) \
  SAT(ComunicarCertificadoICPBRASIL, \
      (int numeroSessao, const char *codigoDeAtivacao, const char *certificado), \
      (numeroSessao, codigoDeAtivacao, certificado), 1, \
      "02", "05098", "T_COMUNICAR_CERTIFICADO_ICPBRASIL", "Timeout_ComunicarCertificadoICPBRASIL", 5, 0, \
      ChecaSessao, Curta) \
  SAT(EnviarDadosVenda, \
      (int numeroSessao, const char *codigoDeAtivacao, const char *dadosVenda), \
      (numeroSessao, codigoDeAtivacao, dadosVenda), 2, \
      "03", "06098", "T_ENVIAR_DADOS_VENDA", "Timeout_EnviarDadosVenda", 0, 20, ChecaSessao, ComCampoExtra) \
  SAT(CancelarUltimaVenda, \
      (int numeroSessao, const char *codigoDeAtivacao, const char *chave, const char *dadosCancelamento), \
      (numeroSessao, codigoDeAtivacao, chave, dadosCancelamento), 3, \
      "04", "07098", "T_CANCELAR_ULTIMA_VENDA", "Timeout_CancelarUltimaVenda", 0, 3, ChecaSessao, ComCampoExtra) \
  SAT(ConsultarSAT, \
      (int numeroSessao), \
      (numeroSessao), 4, \
      "05", "08098", "T_CONSULTAR_SAT", "Timeout_ConsultarSAT", 0, 4, ChecaSessao, Curta) \
  SAT(TesteFimAFim, \
      (int numeroSessao, const char *codigoDeAtivacao, const char *dadosVenda), \
      (numeroSessao, codigoDeAtivacao, dadosVenda), 5, \
      "06", "09098", "T_TESTE_FIM_A_FIM", "Timeout_TesteFimAFim", 0, 40, ChecaSessao, Curta) \
  SAT(ConsultarStatusOperacional, \
      (int numeroSessao, const char *codigoDeAtivacao), \
      (numeroSessao, codigoDeAtivacao), 6, \
      "07", "10098", "T_CONSULTAR_STATUS_OPERACIONAL", "Timeout_ConsultarStatusOperacional", 0, 4, \
      ChecaSessao, Curta) \
  SAT(ConsultarNumeroSessao, \
      (int numeroSessao, const char *codigoDeAtivacao, int cNumeroDeSessao), \
      (numeroSessao, codigoDeAtivacao, cNumeroDeSessao), 7, \
      "08", "11098", "T_CONSULTAR_NUMERO_SESSAO", "Timeout_ConsultarNumeroSessao", 0, 20, SemChecagem, Curta) \
  SAT(ConsultarUltimaSessaoFiscal, \
      (int numeroSessao, const char *codigoDeAtivacao), \
      (numeroSessao, codigoDeAtivacao), 16, \
      "20", "19098", "T_CONSULTAR_SESSAO_FISCAL", "Timeout_ConsultarUltimaSessaoFiscal", 0, 20, \
      SemChecagem, Curta) \
  SAT(ConfigurarInterfaceDeRede, \
      (int numeroSessao, const char *codigoDeAtivacao, const char *dadosConfiguracao), \
      (numeroSessao, codigoDeAtivacao, dadosConfiguracao), 14, \
      "09", "12098", "T_CONFIGURAR_INTERFACE_DE_REDE", "Timeout_ConfigurarInterfacceDeRede", 0, 20, \
      ChecaSessao, Curta) \
  SAT(AssociarAssinatura, \
      (int numeroSessao, const char *codigoDeAtivacao, const char *CNPJvalue, const char *assinaturaCNPJs), \
      (numeroSessao, codigoDeAtivacao, CNPJvalue, assinaturaCNPJs), 8, \
      "10", "13098", "T_ASSOCIAR_ASSINATURA", "Timeout_AssociarAssinatura", 30, 0, ChecaSessao, Curta) \
  SAT(AtualizarSoftwareSAT, \
      (int numeroSessao, const char *codigoDeAtivacao), \
      (numeroSessao, codigoDeAtivacao), 9, \
      "11", "14098", "T_ATUALIZAR_SOFTWARE_SAT", "Timeout_AtualizarSoftwareSAT", 30, 0, ChecaSessao, Curta) \
  SAT(ExtrairLogs, \
      (int numeroSessao, const char *codigoDeAtivacao), \
      (numeroSessao, codigoDeAtivacao), 10, \
      "12", "15098", "T_EXTRAIR_LOGS", "Timeout_ExtrairLogs", 0, 20, ChecaSessao, Curta) \
  SAT(BloquearSAT, \
      (int numeroSessao, const char *codigoDeAtivacao), \
      (numeroSessao, codigoDeAtivacao), 11, \
      "13", "16098", "T_BLOQUEAR_SAT", "Timeout_BloquearSAT", 5, 0, ChecaSessao, Curta) \
  SAT(DesbloquearSAT, \
      (int numeroSessao, const char *codigoDeAtivacao), \
      (numeroSessao, codigoDeAtivacao), 12, \
      "14", "17098", "T_DESBLOQUEAR_SAT", "Timeout_DesbloquearSAT", 0, 40, ChecaSessao, Curta) \
  SAT(TrocarCodigoDeAtivacao, \
      (int numeroSessao, const char *codigoDeAtivacao, int opcao, const char *novoCodigo, \
       const char *confNovoCodigo), \
      (numeroSessao, codigoDeAtivacao, opcao, novoCodigo, confNovoCodigo), 13, \
      "15", "18098", "T_TROCAR_CODIGO_DE_ATIVACAO", "Timeout_TrocarCodigoDeAtivacao", 0, 20, ChecaSessao, Curta) \
  CONTROLE(SetDriver, \
      (const char *comando, const char *valor), \
      (comando, valor), 17)
/* clang-format on */

#endif
