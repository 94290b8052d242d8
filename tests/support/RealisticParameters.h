#pragma once
// Realistic values for every name of the print job's parameter contract, shared by
// the report tests and the report benchmark.

#include <string>
#include <utility>
#include <vector>

using ParameterList = std::vector<std::pair<std::string, std::string>>;

inline ParameterList realisticDamdfeParameters() {
  return {
      {"nMDF", "1234"},
      {"Serie", "1"},
      {"tpMDF", "1"},
      {"chave_acesso", "4317 1012 3456 7800 0199 5800 1000 0012 3410 0012 3450"},
      {"barra_chave_acesso", "43171012345678000199580010000012341000123450"},
      {"contingencia", ""},
      {"barra_dados_mdfe", ""},
      {"dados_mdfe", ""},
      {"Nome", "Nome:TRANSPORTES RODOVIÁRIOS SÃO JOÃO DA BOA VISTA LTDA"},
      {"End", "End:AVENIDA PRESIDENTE JUSCELINO KUBITSCHEK DE OLIVEIRA"},
      {"Compl", "Compl:GALPÃO 3"},
      {"Bairro", "Bairro:DISTRITO INDUSTRIAL"},
      {"Nro", "Nro:1500"},
      {"Mun", "Mun:PORTO ALEGRE"},
      {"UF", "UF:RS"},
      {"CEP", "CEP:90010000"},
      {"pFoto", ""},
      {"NUM_PROTOCOLO", "143170000123456"},
      {"CNPJ", "CNPJ:12345678000199"},
      {"IE", "IE:0961234567"},
      {"DhEmi", "2017-10-04T19:54:12-03:00"},
      {"Mod", "58"},
      {"Serie", "1"},
      {"NMDF", "1234"},
      {"UFIni", "RS"},
      {"QCTe", "3"},
      {"QNFe", "12"},
      {"QCarga", "12500.0000"},
      {"Placa", "ABC1D23"},
      {"CPF", "12345678909"},
      {"CNome", "JOSÉ DA SILVA PEREIRA"},
      {"folha_1", "1 / 1"},
      {"emit_CNPJ_CPF", "12345678000199"},
      {"emit_CEP", "90010000"},
      {"unidade_carga", "01"},
      {"emit_xNome", "TRANSPORTES RODOVIÁRIOS SÃO JOÃO DA BOA VISTA LTDA"},
      {"emit_logradouro", "AVENIDA PRESIDENTE JUSCELINO KUBITSCHEK DE OLIVEIRA, 1500"},
      {"emit_bairro", "GALPÃO 3 - DISTRITO INDUSTRIAL"},
      {"emit_xMun", "PORTO ALEGRE"},
      {"emit_UF", "RS"},
      {"emit_IE", "0961234567"},
  };
}
