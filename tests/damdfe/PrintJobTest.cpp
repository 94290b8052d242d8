#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "DataFiles.h"
#include "ManifestLoading.h"
#include "PrintJob.h"
#include "ReportOutput.h"
#include "TestFiles.h"
#include "ToolRunner.h"

namespace {

const std::filesystem::path kSourceDir = DAMDFE_SOURCE_DIR;
const std::filesystem::path kSharedSamples = DAMDFE_SHARED_SAMPLES;
const std::filesystem::path kSample = kSourceDir / "samples" / "MDFe_exemplo.xml";
const std::string kNs = "http://www.portalfiscal.inf.br/mdfe";

// A template directory of its own, the job's temporary directory pointed into the test's,
// and the report going to a PDF file.
class PrintJobTest : public testing::Test {
 protected:
  void SetUp() override {
    templates_ = dir_.path() / "templates";
    temporary_ = dir_.path() / "tmp";
    std::filesystem::create_directories(templates_);
    std::filesystem::create_directories(temporary_);
    for (const char* name : {kPortraitTemplate, kLandscapeTemplate}) {
      std::filesystem::copy_file(kSourceDir / "templates" / name, templates_ / name);
    }
    setenv("TMPDIR", temporary_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("TMPDIR");
    EXPECT_TRUE(std::filesystem::is_empty(temporary_)) << "the road block directory was left behind";
  }

  std::string Print(const std::filesystem::path& xml, int format = 0, const std::string& protocol = "123",
                    const std::string& contingency = "") {
    return PrintDAMDFE({xml.string(), "", contingency, protocol, format, {}}, output_, templates_);
  }
  std::filesystem::path pdf() const { return dir_.path() / "out.pdf"; }
  std::filesystem::path Write(const std::string& name, const std::string& bytes) const {
    return dir_.Write(name, bytes);
  }

  TempDir dir_;
  std::filesystem::path templates_;
  std::filesystem::path temporary_;
  ReportOutput output_ = rv::PdfFile{QString::fromStdString(pdf().string())};
};

std::string Manifest(const std::string& rodo = "<rodo><veicTracao><placa>ABC1D23</placa></veicTracao></rodo>",
                     const std::string& modal = "1",
                     const std::string& infDoc = "<infDoc><infMunDescarga><xMunDescarga>X</xMunDescarga>"
                                                 "</infMunDescarga></infDoc>") {
  return "<MDFe xmlns=\"" + kNs + "\"><infMDFe Id=\"MDFe35261212345678000195580010000012341876543210\">" +
         "<ide><nMDF>77</nMDF><modal>" + modal + "</modal></ide><emit><xNome>EMITENTE</xNome></emit>" +
         (rodo.empty() ? "" : "<infModal versaoModal=\"3.00\">" + rodo + "</infModal>") + infDoc +
         "</infMDFe></MDFe>";
}

TEST_F(PrintJobTest, CheckResultsComeInOrder) {
  EXPECT_EQ(Print(dir_.path() / "absent.xml"),
            "-2 ERRO: Caminho do arquivo XML inexistente. Verifique: " + (dir_.path() / "absent.xml").string());
  EXPECT_EQ(Print(dir_.path()), "-2 ERRO: Caminho do arquivo XML inexistente. Verifique: " + dir_.path().string());

  std::filesystem::remove(templates_ / kLandscapeTemplate);
  EXPECT_EQ(Print(kSample, 0), "-4 ERRO: Arquivo DAMDFE_Paisagem.rav inexistente. Verifique.");
  std::filesystem::remove(templates_ / kPortraitTemplate);
  EXPECT_EQ(Print(kSample, 1), "-3 ERRO: Arquivo DAMDFE_Retrato.rav inexistente. Verifique.");
  EXPECT_FALSE(std::filesystem::exists(pdf()));
}

TEST_F(PrintJobTest, FailuresOnTheWayBecomeMinusOneWithTheirMessage) {
  const std::string prefix = kPrintErrorPrefix;
  struct Case {
    const char* name;
    std::string bytes;
    std::string messageStart;
  };
  std::string utf16 = "\xFF\xFE";
  for (char c : Manifest()) utf16 += std::string{c, '\0'};
  const Case cases[] = {
      {"not MDFe", "<outro xmlns=\"" + kNs + "\"/>", "Interface not supported"},
      {"MDFe without namespace", "<MDFe><infMDFe/></MDFe>", "Interface not supported"},
      {"malformed", "<MDFe xmlns=\"" + kNs + "\"><infMDFe>", ""},
      {"no <rodo", "<MDFe xmlns=\"" + kNs + "\"><infMDFe><infModal/></infMDFe></MDFe>", ""},
      {"UTF-16 manifest: the 8-bit cut finds no marker", utf16, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string result = Print(Write("m.xml", c.bytes));
    EXPECT_EQ(result.rfind(prefix + c.messageStart, 0), 0u) << result;
    EXPECT_GT(result.size(), prefix.size());
  }
  EXPECT_FALSE(std::filesystem::exists(pdf()));
}

// Hostile sizes are answered by a bound, each in its own words; a huge name still prints, cut.
TEST_F(PrintJobTest, HostileSizesMeetTheirBounds) {
  // A 16 MB name is cut to its box by design; elsewhere a cut text is a fault of the template.
  const char* strict = std::getenv("DAMDFE_LEIAUTE_ESTRITO");
  const std::string wasStrict = strict ? strict : "";
  unsetenv("DAMDFE_LEIAUTE_ESTRITO");
  const std::string sample = ReadFileBytes(kSample);
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string bytes = sample;
    return bytes.replace(bytes.find(from), from.size(), to);
  };
  std::string attributes;
  for (int i = 0; i < 100000; ++i) attributes += " a" + std::to_string(i) + "=\"1\"";
  std::string lines;
  for (int i = 0; i < 200000; ++i) lines += "linha\n";
  std::string name;
  for (int i = 0; i < 1500000; ++i) name += "NOME LONGO ";
  const std::string issuer = "TRANSPORTADORA EXEMPLO DE CARGAS RODOVIÁRIAS LTDA";
  const struct {
    const char* name;
    std::string bytes;
    std::string result;
  } cases[] = {
      {"100,000 attributes", "<MDFe xmlns=\"" + kNs + "\"" + attributes + "/>",
       kPrintErrorPrefix +
           "more than 1000 attributes on one element (atributos demais num só elemento)\r\nLine: 1\r\n" +
           "<MDFe xmlns=\"" + kNs.substr(0, 27)},
      {"a file over 20 MB", replaced(issuer, std::string(21 << 20, 'A')),
       kPrintErrorPrefix + "o arquivo XML tem 21 MB; um MDF-e tem no máximo 20 MB"},
      {"observations of 200,000 lines", replaced("Manifesto de exemplo,", lines),
       kPrintErrorPrefix + "O relatório passaria de 500 folhas: há linhas demais para um DAMDFE."},
      {"an issuer name of 16 MB", replaced(issuer, name), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Print(Write("hostil.xml", c.bytes)), c.result);
  }
  if (strict) setenv("DAMDFE_LEIAUTE_ESTRITO", wasStrict.c_str(), 1);
}

TEST_F(PrintJobTest, BrokenTemplateIsReportedAndNothingIsPrinted) {
  std::ofstream(templates_ / kPortraitTemplate) << "{ \"reports\": [ ";
  std::string result = Print(kSample);
  EXPECT_EQ(result.rfind(kPrintErrorPrefix, 0), 0u);
  EXPECT_NE(result.find("DAMDFE_Retrato.rav"), std::string::npos) << result;
}

int PageWidthOverHeight(const std::filesystem::path& pdf) {
  std::string info = RunTool("pdfinfo", {pdf.string()}).out;
  double width = 0, height = 0;
  auto at = info.find("Page size:");
  if (at == std::string::npos) return 0;
  std::sscanf(info.c_str() + at, "Page size: %lf x %lf", &width, &height);
  return width > height ? 1 : 0;
}

TEST_F(PrintJobTest, FormatZeroIsPortraitAnyOtherLandscape) {
  for (int format : {0, 1, 7, -1}) {
    SCOPED_TRACE(format);
    ASSERT_EQ(Print(kSample, format), "");
    EXPECT_EQ(PageWidthOverHeight(pdf()), format == 0 ? 0 : 1);
  }
}

TEST_F(PrintJobTest, InheritedAndDeclaredNamespacesBothPrint) {
  for (const std::string& rodo :
       {std::string("<rodo><veicTracao><placa>ABC1D23</placa></veicTracao></rodo>"),
        "<rodo xmlns=\"" + kNs + "\"><veicTracao><placa>ABC1D23</placa></veicTracao></rodo>"}) {
    SCOPED_TRACE(rodo);
    ASSERT_EQ(Print(Write("m.xml", Manifest(rodo))), "");
    EXPECT_NE(PdfText(pdf()).find("ABC1D23"), std::string::npos);
  }
}

// The fixed result text, then in Portuguese the group that is missing or does not match "modal".
TEST_F(PrintJobTest, ManifestWithoutWhatTheSheetNeedsNamesTheGroup) {
  const std::string aircraft = "<aereo><nac>PR</nac><matr>AJB</matr></aereo>";
  const struct {
    std::string manifest;
    std::string reason;
  } cases[] = {
      {Manifest(""), "o MDF-e não traz o grupo infModal (informações do modal)"},
      {Manifest("<rodo/>"), "o grupo rodo não traz veicTracao (veículo de tração)"},
      {Manifest("<rodo><veicTracao/></rodo>", "1", ""),
       "o MDF-e não traz nenhum grupo infMunDescarga (município de descarregamento) em infDoc"},
      {Manifest("<rodo><veicTracao/></rodo>", "1", "<infDoc/>"),
       "o MDF-e não traz nenhum grupo infMunDescarga (município de descarregamento) em infDoc"},
      {Manifest("<rodo><veicTracao/></rodo>", "2"), "modal 2 (aéreo), mas o grupo infModal traz rodo"},
      {Manifest(aircraft, "1"), "modal 1 (rodoviário), mas o grupo infModal traz aereo"},
      {Manifest("<dutov/>", "1"), "modal 1 (rodoviário), mas o grupo infModal traz dutov"},
      {Manifest("<!-- nada --> ", "3"), "modal 3 (aquaviário), mas o grupo infModal está vazio"},
      {Manifest("<rodo><veicTracao/></rodo>", "5"),
       "modal 5 não é um dos modais do MDF-e (1 rodoviário, 2 aéreo, 3 aquaviário, 4 ferroviário), e o grupo "
       "infModal traz rodo"},
      {Manifest("<aereo><nac>PR</nac></aereo>", "2"), "o grupo aereo não traz matr (matrícula da aeronave)"},
      {Manifest("<aquav><irin>PP1</irin><xEmbar>E</xEmbar></aquav>", "3"),
       "o grupo aquav não traz cEmbar (código da embarcação)"},
      {Manifest("<ferrov><trem/></ferrov>", "4"), "o grupo ferrov não traz vag (vagão)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    EXPECT_EQ(Print(Write("m.xml", c.manifest)), kPrintErrorPrefix + c.reason);
  }
  EXPECT_FALSE(std::filesystem::exists(pdf()));
  EXPECT_EQ(Print(Write("m.xml", Manifest(aircraft, "2"))), "") << "a manifest that leaves nothing out prints";
}

std::string ProtocolFilled(const std::filesystem::path& xml, const std::string& typed) {
  TParameterRecorder recorder;
  FillDAMDFEParameters(LoadManifestForPrinting(xml.string()), "", "", typed, recorder);
  for (const auto& [name, value] : recorder.settings) {
    if (name == "NUM_PROTOCOLO") return value;
  }
  return "(not set)";
}

// The authorisation in the file is what the sheet shows: a different typed number is refused
// before anything is written, the same number is fine, and a bare manifest prints what is typed.
TEST_F(PrintJobTest, AuthorisedProtocolWinsOverATypedOne) {
  std::string manifest = Manifest();
  std::string proc = "<mdfeProc xmlns=\"" + kNs + "\" versao=\"3.00\">" + manifest +
                     "<protMDFe versao=\"3.00\"><infProt><nProt>935260000012345</nProt>" +
                     "<dhRecbto>2026-12-07T08:31:02-03:00</dhRecbto><cStat>100</cStat></infProt></protMDFe></mdfeProc>";
  auto file = Write("proc.xml", proc);
  EXPECT_EQ(ProtocolFilled(file, ""), "935260000012345");
  EXPECT_EQ(Print(file, 0, "141230000012345"),
            kPrintErrorPrefix +
                "o protocolo digitado (141230000012345) difere do protocolo de autorização do arquivo "
                "(935260000012345). O DAMDFE mostra o protocolo autorizado: deixe o número do protocolo em branco "
                "ou digite 935260000012345.");
  EXPECT_FALSE(std::filesystem::exists(pdf()));
  for (const char* typed : {"", "935260000012345"}) {
    SCOPED_TRACE(typed);
    EXPECT_EQ(Print(file, 0, typed), "");
    const std::string text = PdfText(pdf());
    EXPECT_NE(text.find("935260000012345"), std::string::npos);
    EXPECT_NE(text.find("07/12/2026 08:31:02"), std::string::npos);
  }
  EXPECT_EQ(Print(Write("bare.xml", manifest), 0, "141230000012345"), "");
  EXPECT_NE(PdfText(pdf()).find("141230000012345"), std::string::npos);

  std::string wrapped = "<envelope xmlns=\"" + kNs + "\">" + manifest + "</envelope>";
  EXPECT_EQ(Print(Write("other.xml", wrapped)),
            kPrintErrorPrefix + "Interface not supported (o arquivo não é um MDF-e: elemento raiz envelope)");
}

TEST_F(PrintJobTest, RealAuthorisedSampleTakesItsProtocol) {
  auto file = kSharedSamples / "dfenet_mdfeProc_tabs_signed_wrappedcert.xml";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no shared samples at " << kSharedSamples;
  std::string protocol = ProtocolFilled(file, "");
  EXPECT_FALSE(protocol.empty());
  EXPECT_EQ(Print(file, 0, ""), "");
  EXPECT_NE(PdfText(pdf()).find(protocol), std::string::npos);
}

}  // namespace

namespace {

// Damaged copies of the sample: every result is a clean "" or "-1 ERRO", never a crash or a hang.
TEST_F(PrintJobTest, DamagedManifestsFailCleanly) {
  output_ = rv::PdfInMemory{};
  const std::string original = ReadFileBytes(kSample);
  std::vector<std::string> variants;
  for (size_t cut = 0; cut < original.size(); cut += original.size() / 40) variants.push_back(original.substr(0, cut));
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  for (int i = 0; i < 40; ++i) {
    std::string damaged = original;
    for (int k = 0; k < 1 + i % 4; ++k) damaged[next() % damaged.size()] = static_cast<char>(next() >> 16);
    variants.push_back(damaged);
  }
  variants.push_back(std::string(4096, '\0'));
  variants.push_back("<MDFe xmlns=\"" + kNs + "\"><infMDFe><emit><xNome><b/></xNome></emit></infMDFe></MDFe>");
  int printed = 0;
  for (size_t i = 0; i < variants.size(); ++i) {
    SCOPED_TRACE(i);
    std::string result = Print(Write("damaged.xml", variants[i]));
    EXPECT_TRUE(result.empty() || result.rfind(kPrintErrorPrefix, 0) == 0) << result;
    if (result.empty()) ++printed;
  }
  EXPECT_GT(printed, 0) << "some damage leaves a printable manifest";
}

}  // namespace
