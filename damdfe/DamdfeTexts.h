#pragma once

// Texts shared by the window and the command-line printer.

#include <array>
#include <string>

// The DAMDFE types as the user picks them; each non-normal caption is also the contingency text.
inline const std::array<std::string, 3> kDamdfeTypes = {
    "DAMDFE Normal",
    "DAMDFE em Contingência - impresso em decorrência de problemas técnicos",
    "DAMDFE impresso em contingência - DPEC regularmente recebida pela Receita Federal do Brasil",
};

// Empty for a normal DAMDFE, else the type's caption.
inline std::string ContingencyTextFor(int typeIndex) {
  return typeIndex <= 0 ? std::string() : kDamdfeTypes.at(typeIndex);
}

inline const std::string kInvalidXmlPathMessage =
    "Caminho do Arquivo XML inválido. Selecione um arquivo XML de MDFe válido";
inline const std::string kInvalidLogoPathMessage =
    "Caminho do Arquivo BMP inválido. Selecione um arquivo BMP de logomarca do cliente válido";

// A contingency DAMDFE asked for a manifest the XML says was issued normally (tpEmis 1).
inline const std::string kNormalEmissionMessage =
    "O MDF-e foi emitido em modo normal (tpEmis 1): não pode ser impresso como DAMDFE em contingência. "
    "Escolha \"DAMDFE Normal\".";

// The words that choose the type (index as in kDamdfeTypes) and the format (0 portrait) outside the window.
inline const std::array<std::string, 3> kDamdfeTypeWords = {"normal", "contingencia", "dpec"};
inline const std::array<std::string, 2> kFormatWords = {"retrato", "paisagem"};
