#include <gtest/gtest.h>

#include <filesystem>

#include "DamdfeParameters.h"
#include "ManifestLoading.h"
#include "TestFiles.h"

namespace {

using Settings = std::vector<std::pair<std::string, std::string>>;

struct Manifest {
  IXMLTMDFe root = NewMdfeDocument();
  IXMLRodo roadBlock = NewRodoDocument();
};

Manifest TypicalManifest() {
  Manifest m;
  IXMLInfMDFe inf = m.root->infMDFe();
  inf->set_Id(u"MDFe41190822545265000108580260000000081326846774");
  IXMLIde ide = inf->ide();
  ide->set_cUF(u"41");
  ide->set_mod(u"58");
  ide->set_serie(u"026");
  ide->set_nMDF(u"000008");
  ide->set_dhEmi(u"2019-08-14T11:35:01-03:00");
  ide->set_tpEmis(u"2");
  ide->set_UFIni(u"PR");
  IXMLEmit emit = inf->emit();
  emit->set_CNPJ(u"22545265000108");
  emit->set_IE(u"9069531021");
  emit->set_xNome(u"EMPRESA DEMONSTRAÇÃO LTDA");
  IXMLTEndeEmi address = emit->enderEmit();
  address->set_xLgr(u"AVENIDA JÚLIO");
  address->set_nro(u"1");
  address->set_xBairro(u"CENTRO");
  address->set_xMun(u"Francisco Beltrão");
  address->set_CEP(u"85601000");
  address->set_UF(u"PR");
  inf->tot()->set_qNFe(u"2");
  inf->tot()->set_qCarga(u"3.0000");
  m.roadBlock->veicTracao()->set_placa(u"ABC1011");
  m.roadBlock->veicTracao()->condutor()->set_CPF(u"06844990960");
  m.roadBlock->veicTracao()->condutor()->set_xNome(u"CLEITON");
  return m;
}

Settings Fill(const Manifest& m, const std::string& contingency = "", const std::string& protocol = "",
              const std::string& logo = "/logo.bmp") {
  TParameterRecorder recorder;
  SetDAMDFEParameters(m.root, m.roadBlock, logo, contingency, protocol, recorder);
  return recorder.settings;
}

std::string Value(const Settings& settings, const std::string& name) {
  for (const auto& [n, v] : settings) {
    if (n == name) return v;
  }
  return "(not set)";
}

TEST(DamdfeParameters, AllSettingsInOrderForATypicalManifest) {
  Settings expected = {
      {"nMDF", "000008"},
      {"Serie", "026"},
      {"tpMDF", "2"},
      {"chave_acesso", "4119 0822 5452 6500 0108 5802 6000 0000 0813 2684 6774"},
      {"barra_chave_acesso", "41190822545265000108580260000000081326846774"},
      {"contingencia", ""},
      {"barra_dados_mdfe", ""},
      {"dados_mdfe", ""},
      {"Nome", "Nome:EMPRESA DEMONSTRAÇÃO LTDA"},
      {"End", "End:AVENIDA JÚLIO"},
      {"Compl", "Compl:"},
      {"Bairro", "Bairro:CENTRO"},
      {"Nro", "Nro:1"},
      {"Mun", "Mun:Francisco Beltrão"},
      {"UF", "UF:PR"},
      {"CEP", "CEP:85601000"},
      {"pFoto", "/logo.bmp"},
      {"NUM_PROTOCOLO", "141190000123456"},
      {"CNPJ", "CNPJ:22545265000108"},
      {"IE", "IE:9069531021"},
      {"DhEmi", "2019-08-14T11:35:01-03:00"},
      {"Mod", "58"},
      {"Serie", "026"},
      {"NMDF", "000008"},
      {"UFIni", "PR"},
      {"QCTe", ""},
      {"QNFe", "2"},
      {"QCarga", "3.0000"},
      {"Placa", "ABC1011"},
      {"CPF", "06844990960"},
      {"CNome", "CLEITON"},
      {"folha_1", "1 / 1"},
  };
  EXPECT_EQ(Fill(TypicalManifest(), "", "141190000123456"), expected);
}

TEST(DamdfeParameters, AccessKeyPrintedForms) {
  struct Case {
    std::u16string id;
    std::string printed;
    std::string barcode;
  };
  const Case cases[] = {
      {u"MDFe41190822545265000108580260000000081326846774", "4119 0822 5452 6500 0108 5802 6000 0000 0813 2684 6774",
       "41190822545265000108580260000000081326846774"},
      {u"MDFe", "          ", ""},
      {u"", "          ", ""},
      {u"MDFe12345678901234567890", "1234 5678 9012 3456 7890      ", "12345678901234567890"},
      {u"MDFe35AB1212345678000195580010000012341876543210", "35AB 1212 3456 7800 0195 5800 1000 0012 3418 7654 3210",
       "35AB1212345678000195580010000012341876543210"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.id));
    Manifest m = TypicalManifest();
    m.root->infMDFe()->set_Id(c.id);
    Settings settings = Fill(m);
    EXPECT_EQ(Value(settings, "chave_acesso"), c.printed);
    EXPECT_EQ(Value(settings, "barra_chave_acesso"), c.barcode);
  }
  EXPECT_EQ(PrintedAccessKey(u"35261212345678000195580010000012341876543210").size(), 54u);
}

TEST(DamdfeParameters, ContingencyDataTakesTheLastTwoCharactersOfDhEmi) {
  struct Case {
    std::u16string dhEmi;
    std::string data;
    std::string printed;
  };
  const Case cases[] = {
      {u"2017-10-04T19:54:12-03:00", "43200DV", "4320 0DV       "},
      {u"2017-10-04T19:54:12", "43212DV", "4321 2DV       "},
      {u"7", "4327DV", "4327 DV       "},
      {u"", "432DV", "432D V       "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.dhEmi));
    Manifest m = TypicalManifest();
    m.root->infMDFe()->ide()->set_cUF(u"43");
    m.root->infMDFe()->ide()->set_dhEmi(c.dhEmi);
    Settings settings = Fill(m, "DAMDFE em Contingência");
    EXPECT_EQ(Value(settings, "contingencia"), "DAMDFE em Contingência");
    EXPECT_EQ(Value(settings, "barra_dados_mdfe"), c.data);
    EXPECT_EQ(Value(settings, "dados_mdfe"), c.printed);
    EXPECT_EQ(settings[5].first, "contingencia");
    EXPECT_EQ(settings[6].first, "barra_dados_mdfe");
    EXPECT_EQ(settings[7].first, "dados_mdfe");
  }
}

TEST(DamdfeParameters, NormalDamdfeDoesNotReadTheContingencyFields) {
  // Reading creates missing elements, so an absent cUF shows whether it was read.
  Manifest bare;
  bare.root->infMDFe()->set_Id(u"MDFe1");
  Fill(bare);
  EXPECT_FALSE(bare.root->infMDFe()->ide()->ChildList()->FindNode(u"cUF"));
  Fill(bare, "x");
  EXPECT_TRUE(bare.root->infMDFe()->ide()->ChildList()->FindNode(u"cUF"));
}

TEST(DamdfeParameters, FirstDriverAndEmptyProtocol) {
  TempDir dir;
  auto file =
      dir.Write("rodo.xml", R"(<rodo xmlns="http://www.portalfiscal.inf.br/mdfe"><veicTracao>)"
                            R"(<placa>AAA0A00</placa><condutor><xNome>PRIMEIRO</xNome><CPF>111</CPF></condutor>)"
                            R"(<condutor><xNome>SEGUNDO</xNome><CPF>222</CPF></condutor></veicTracao></rodo>)");
  Manifest m = TypicalManifest();
  m.roadBlock = LoadRodoDocument(FromUtf8(file.string()));
  Settings settings = Fill(m, "", "");
  EXPECT_EQ(Value(settings, "NUM_PROTOCOLO"), "");
  EXPECT_EQ(Value(settings, "Placa"), "AAA0A00");
  EXPECT_EQ(Value(settings, "CPF"), "111");
  EXPECT_EQ(Value(settings, "CNome"), "PRIMEIRO");
}

TEST(DamdfeParameters, ReadingErrorStopsAfterTheSettingsAlreadyMade) {
  Manifest m = TypicalManifest();
  // An "xNome" holding an element cannot be read as text.
  IXMLTMDFe broken = NewMdfeDocument();
  broken->infMDFe()->emit()->ChildList()->NodeByName(u"xNome")->ChildList()->NodeByName(u"b");
  TParameterRecorder recorder;
  EXPECT_THROW(SetDAMDFEParameters(broken, m.roadBlock, "", "", "", recorder), EXMLDocError);
  ASSERT_EQ(recorder.settings.size(), 8u);
  EXPECT_EQ(recorder.settings.back().first, "dados_mdfe");
}

TEST(BlankInsertion, PositionsPastTheEndAppend) {
  EXPECT_EQ(InsertBlanks(u"abcdef", {9, 5, 3}), u"ab cd ef ");
  EXPECT_EQ(InsertBlanks(u"", {2, 1}), u"  ");
  EXPECT_EQ(AccessKey(u"MDFe"), u"");
  EXPECT_EQ(AccessKey(u"MDFe1"), u"1");
}

}  // namespace
