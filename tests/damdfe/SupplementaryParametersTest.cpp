#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "DamdfeParameters.h"
#include "FixedParameterNames.h"
#include "ManifestVariants.h"
#include "ManifestLoading.h"
#include "SupplementaryParameters.h"
#include "TestFiles.h"

namespace {

using Settings = std::vector<std::pair<std::string, std::string>>;

std::map<std::string, std::string> Supplementary(const std::filesystem::path& xml) {
  TParameterRecorder fixed, supplementary;
  FillDAMDFEParameters(LoadManifestForPrinting(xml.string()), "", "", "", fixed, &supplementary);
  std::map<std::string, std::string> values(supplementary.settings.begin(), supplementary.settings.end());
  EXPECT_EQ(values.size(), supplementary.settings.size()) << "a name set twice";
  return values;
}

std::map<std::string, std::string> SupplementaryOf(const std::string& xmlText) {
  TempDir dir;
  return Supplementary(dir.Write("manifest.xml", xmlText));
}

std::vector<std::vector<std::string>> Rows(const std::string& list) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(list);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      cells.push_back(line.substr(start, tab - start));
    }
    cells.push_back(line.substr(start));
    rows.push_back(cells);
  }
  return rows;
}

TEST(SupplementaryParameters, FixedSettingsStayFirstAndUnchanged) {
  TempDir dir;
  TLoadedManifest loaded = LoadManifestForPrinting(dir.Write("m.xml", SampleManifest()).string());
  TParameterRecorder alone;
  SetDAMDFEParameters(loaded.manifest, loaded.roadBlock, "logo.bmp", "", "123", alone);
  ASSERT_EQ(alone.settings.size(), 32u);

  TParameterRecorder together;
  FillDAMDFEParameters(loaded, "logo.bmp", "", "123", together);
  ASSERT_GT(together.settings.size(), 32u);
  EXPECT_EQ(Settings(together.settings.begin(), together.settings.begin() + 32), alone.settings);
  for (auto it = together.settings.begin() + 32; it != together.settings.end(); ++it) {
    EXPECT_EQ(kFixedNames.count(it->first), 0u) << it->first << " is one of the fixed names";
  }

  TParameterRecorder fixed, supplementary;
  FillDAMDFEParameters(loaded, "logo.bmp", "", "123", fixed, &supplementary);
  EXPECT_EQ(fixed.settings, alone.settings);
  EXPECT_EQ(Settings(together.settings.begin() + 32, together.settings.end()), supplementary.settings);
}

TEST(SupplementaryParameters, OurSampleInFull) {
  auto values = SupplementaryOf(SampleManifest());
  const std::map<std::string, std::string> expected = {
      {"qrCodMDFe",
       "https://dfe-portal.svrs.rs.gov.br/mdfe/qrCode?chMDFe=35261212345678000195580010000012341876543210&tpAmb=2"},
      {"homologacao", "1"},
      {"dhRecbto", ""},
      {"emissao_contingencia", ""},
      {"sem_autorizacao", ""},
      {"emit_CNPJ_CPF", "12345678000195"},
      {"UFFim", "RS"},
      {"mun_carregamento", "São Paulo, Campinas"},
      {"percurso", "PR, SC"},
      {"vCarga", "158430.75"},
      {"unidade_carga", "01"},
      {"RNTRC", "12345678"},
      {"RENAVAM", "00987654321"},
      {"veiculos", "Tração\tABC1D23\tSP\t00987654321\t12345678\nReboque\tXYZ9E87\tSP\t01122334455\t12345678\n"},
      {"condutores", "12345678909\tJOSÉ DA SILVA SANTOS\n98765432100\tMARIA APARECIDA DE SOUZA\n"},
      {"ciot", "123456789012\t12345678000195\n"},
      {"contratantes", "44555666000172\t\n"},
      {"vale_pedagio", "99888777000166\t12345678000195\t778899001122\t187.40\n"},
      {"seguros",
       "Emitente\t12345678000195\tSEGURADORA EXEMPLO S.A.\t33444555000190\t0012345678\t20261207000001\n"
       "\t\t\t\t\t20261207000002\n"},
      {"infAdFisco", ""},
      {"observacoes",
       "Manifesto de exemplo, emitido em ambiente de homologação. Entrega agendada; conferir lacres na "
       "descarga.\n"},
      {"observacoes_fisco", ""},
      {"emit_logradouro", "AVENIDA DAS NAÇÕES UNIDAS, 1500"},
      {"emit_bairro", "GALPÃO 3 - VILA OLÍMPIA"},
      {"emit_contato", "Fone: (11) 3000-1000   E-mail: fiscal@exemplo.com.br"},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(values[name], value) << name;
  auto documents = Rows(values["documentos"]);
  ASSERT_EQ(documents.size(), 9u);
  EXPECT_EQ(documents[0], (std::vector<std::string>{"Porto Alegre", "CT-e",
                                                    "3526 1211 2223 3300 0181 5700 1000 0005 0111 0000 5016"}));
  EXPECT_EQ(documents[8][0], "Caxias do Sul");
  EXPECT_EQ(documents[8][1], "NF-e");
}

// Payment components and where the freight is paid, dangerous goods, the places of a full load,
// and the RNTRC of the 1.00 layout, directly under "rodo".
TEST(SupplementaryParameters, WhatTheXmlHoldsBeyondTheFixedSettings) {
  std::string xml = ReplaceElement(SampleManifest(), "infANTT",
                                   "<RNTRC>87654321</RNTRC><infANTT><infPag><xNome>PAGO LTDA</xNome>"
                                   "<CNPJ>12345678000195</CNPJ><Comp><tpComp>01</tpComp><vComp>50.00</vComp></Comp>"
                                   "<Comp><tpComp>99</tpComp><vComp>10.00</vComp><xComp>CARGA E DESCARGA</xComp></Comp>"
                                   "<vContrato>60.00</vContrato><indPag>0</indPag><infBanc><PIX>+5511999990000</PIX>"
                                   "</infBanc></infPag></infANTT>");
  xml = ReplaceElement(xml, "infNFe",
                       "<infNFe><chNFe>35261244555666000172550010000090011200090015</chNFe><peri><nONU>1203</nONU>"
                       "<xNomeAE>GASOLINA</xNomeAE><xClaRisco>3</xClaRisco><grEmb>II</grEmb>"
                       "<qTotProd>1000 L</qTotProd><qVolTipo>5 tambores</qVolTipo></peri></infNFe>");
  xml = ReplaceElement(xml, "NCM",
                       "<NCM>87089990</NCM><infLotacao><infLocalCarrega><CEP>04578000</CEP></infLocalCarrega>"
                       "<infLocalDescarrega><latitude>-30.0346</latitude><longitude>-51.2177</longitude>"
                       "</infLocalDescarrega></infLotacao>");
  auto values = SupplementaryOf(xml);
  EXPECT_EQ(values["RNTRC"], "87654321");
  EXPECT_EQ(values["pagamentos"], "PAGO LTDA\t12345678000195\t60.00\t0\tPIX +5511999990000\n");
  EXPECT_EQ(values["componentes_pagamento"],
            "PAGO LTDA\t01\t50.00\t\nPAGO LTDA\t99\t10.00\tCARGA E DESCARGA\n");
  EXPECT_EQ(values["perigosos"],
            "NF-e 3526 1244 5556 6600 0172 5500 1000 0090 0112 0009 0015\t1203\tGASOLINA\t3\tII\t1000 L\t5 tambores\n");
  EXPECT_EQ(values["lotacao_carregamento"], "CEP 04578-000");
  EXPECT_EQ(values["lotacao_descarregamento"], "Latitude -30.0346, longitude -51.2177");
}

TEST(SupplementaryParameters, QrCodeAsTheDocumentMeansIt) {
  const std::string url = "https://x.gov.br/mdfe/qrCode?chMDFe=35261212345678000195580010000012341876543210&tpAmb=2";
  struct Case {
    const char* name;
    std::string element;
  };
  for (const Case& c : {Case{"escaped",
                             "<qrCodMDFe>https://x.gov.br/mdfe/qrCode?chMDFe="
                             "35261212345678000195580010000012341876543210&amp;tpAmb=2</qrCodMDFe>"},
                        Case{"CDATA on its own lines", "<qrCodMDFe>\n  <![CDATA[" + url + "]]>\n</qrCodMDFe>"}}) {
    SCOPED_TRACE(c.name);
    std::string xml = ReplaceElement(SampleManifest(), "qrCodMDFe", c.element);
    EXPECT_EQ(SupplementaryOf(xml)["qrCodMDFe"], url);
  }
}

TEST(SupplementaryParameters, MissingOptionalBlocksGiveEmptyValues) {
  auto values = SupplementaryOf(MinimalManifest());
  for (const char* name :
       {"qrCodMDFe",  "homologacao", "dhRecbto",     "percurso",          "RNTRC",       "RENAVAM",
        "condutores", "ciot",        "contratantes", "vale_pedagio",      "seguros",     "infCpl",
        "infAdFisco", "QMDFe",       "observacoes",  "observacoes_fisco", "prod_xProd",  "pagamentos",
        "parcelas",   "lacres",      "lacres_rodo",  "proprietarios",     "dhIniViagem", "emissao_contingencia"}) {
    EXPECT_EQ(values[name], "") << name;
  }
  EXPECT_EQ(values["unidade_carga"], "02");
  EXPECT_EQ(values["veiculos"], "Tração\tAAA0A00\t\t\t\n");
  EXPECT_EQ(Rows(values["documentos"]).size(), 1u);
}

TEST(SupplementaryParameters, CellsNeverBreakTheirRow) {
  std::string xml = ReplaceElement(SampleManifest(), "condutor",
                                   "<condutor><xNome>ANA\tDE\nSOUZA</xNome><CPF>11122233344</CPF></condutor>");
  auto drivers = Rows(SupplementaryOf(xml)["condutores"]);
  ASSERT_EQ(drivers.size(), 2u);
  EXPECT_EQ(drivers[0], (std::vector<std::string>{"11122233344", "ANA DE SOUZA"}));
}

// The list form of the observations: a row for each line that holds something.
TEST(SupplementaryParameters, ObservationsAsParagraphs) {
  struct Case {
    const char* what;
    std::string stored, rows;
  };
  for (const Case& c : {
           Case{"one line", "Entrega agendada.", "Entrega agendada.\n"},
           Case{"line breaks", "Primeira.&#10;Segunda.&#10;&#10;  &#10;Terceira.&#10;",
                "Primeira.\nSegunda.\nTerceira.\n"},
           Case{"a tab stays in its row", "A&#9;B", "A B\n"},
           Case{"carriage returns", "A&#13;&#10;B", "A \nB\n"},
           Case{"blank", "   ", ""},
       }) {
    SCOPED_TRACE(c.what);
    auto values = SupplementaryOf(WithObservations(SampleManifest(), c.stored, c.stored));
    EXPECT_EQ(values["observacoes"], c.rows);
    EXPECT_EQ(values["observacoes_fisco"], c.rows);
  }
}

// Real manifests written by others, each carrying a part of the data.
TEST(SupplementaryParameters, RealManifests) {
  const std::filesystem::path folder = DAMDFE_SHARED_SAMPLES;
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no folder " << folder;
  struct Expectation {
    const char* file;
    const char* name;
    const char* value;
  };
  for (const Expectation& e : {
           Expectation{"dfenet_mdfeProc_tabs_signed_wrappedcert.xml", "dhRecbto", "2018-01-15T17:51:42-02:00"},
           Expectation{"dfenet_mdfeProc_tabs_signed_wrappedcert.xml", "homologacao", ""},
           Expectation{"dfenet_MDFe_singleline_signed_CIOT_valePed_lacRodo_peri_seg.xml", "homologacao", "1"},
           Expectation{"dfenet_MDFe_singleline_signed_CIOT_valePed_lacRodo_peri_seg.xml", "seguros",
                       "Emitente\t00000000000000\tTESTE\t00000000000000\tTESTE\tTESTE\n"},
           Expectation{"dfenet_MDFe_singleline_signed_CIOT_valePed_lacRodo_peri_seg.xml", "vCarga", "500.00"},
           Expectation{"spedmdfe_example_MDFe_rodo_xmlns_2infMunDescarga_reboque_lacres.xml", "emissao_contingencia",
                       "1"},
           Expectation{"unimake_example_MDFe_infUnidTransp_2infMunDescarga_2lacres_2nAver.xml", "contratantes",
                       "06117473000150\t\n06117473000150\t\n"},
           Expectation{"spedmdfe_example_MDFe_rodo_xmlns_2infMunDescarga_reboque_lacres.xml", "condutores",
                       "06844990960\tCLEITON\n"},
       }) {
    SCOPED_TRACE(std::string(e.file) + " " + e.name);
    EXPECT_EQ(Supplementary(folder / e.file)[e.name], e.value);
  }
  struct Count {
    const char* file;
    const char* name;
    size_t rows;
  };
  for (const Count& c : {
           Count{"dfenet_MDFe_singleline_signed_CIOT_valePed_lacRodo_peri_seg.xml", "ciot", 1},
           Count{"dfenet_MDFe_singleline_signed_CIOT_valePed_lacRodo_peri_seg.xml", "vale_pedagio", 1},
           Count{"unimake_example_MDFe_infUnidTransp_2infMunDescarga_2lacres_2nAver.xml", "seguros", 2},
           Count{"nfelib_pr_2veicReboque_infRespTec_unsigned.xml", "veiculos", 3},
           Count{"sped_mdfe_fixture_rodo_reboque_unsigned.xml", "veiculos", 2},
           Count{"dfenet_mdfeProc_tabs_signed_wrappedcert.xml", "ciot", 0},
       }) {
    SCOPED_TRACE(std::string(c.file) + " " + c.name);
    EXPECT_EQ(Rows(Supplementary(folder / c.file)[c.name]).size(), c.rows);
  }
}

}  // namespace
