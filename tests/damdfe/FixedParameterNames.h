#pragma once

// The 32 fixed settings of the DAMDFE parameters, by name and in their order.

#include <set>
#include <string>
#include <vector>

// clang-format off
inline const std::vector<std::string> kFixedSettingNames = {
    "nMDF", "Serie", "tpMDF", "chave_acesso", "barra_chave_acesso", "contingencia", "barra_dados_mdfe", "dados_mdfe",
    "Nome", "End", "Compl", "Bairro", "Nro", "Mun", "UF", "CEP", "pFoto", "NUM_PROTOCOLO", "CNPJ", "IE", "DhEmi",
    "Mod", "Serie", "NMDF", "UFIni", "QCTe", "QNFe", "QCarga", "Placa", "CPF", "CNome", "folha_1"};
// clang-format on

inline const std::set<std::string> kFixedNames(kFixedSettingNames.begin(), kFixedSettingNames.end());
