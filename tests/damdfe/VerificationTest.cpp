// Signed manifests and events, as issuers and the tax authority leave them, checked through
// damdfe-imprimir: --verificar's verdicts, the sheet, the events, and xmlsec1's opinion.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <memory>
#include <regex>
#include <sstream>

#include "EventFiles.h"
#include "TestFiles.h"
#include "TestSigner.h"
#include "ToolRunner.h"
#include "VerificationTexts.h"

namespace {

const std::filesystem::path kSourceDir = DAMDFE_SOURCE_DIR;
const std::filesystem::path kSharedSamples = DAMDFE_SHARED_SAMPLES;
const std::string kPrinter = std::string(DAMDFE_BIN_DIR) + "/damdfe-imprimir";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// In drawing order, so a rotated mark reads as one line.
std::string SheetText(const std::filesystem::path& pdf) {
  return std::regex_replace(RunTool("pdftotext", {"-raw", pdf.string(), "-"}).out, std::regex("\\s+"), " ");
}

// The sample issued in production, so no other mark than the verification's own covers the sheet.
std::string ProductionSample() {
  const std::string sample = ReadFileBytes(kSourceDir / "samples" / "MDFe_exemplo.xml");
  return Replaced(Replaced(sample, "<tpAmb>2</tpAmb>", "<tpAmb>1</tpAmb>"), "&tpAmb=2", "&tpAmb=1");
}

std::string DigestOf(const std::string& signedXml) {
  std::smatch digest;
  std::regex_search(signedXml, digest, std::regex("<DigestValue>([^<]+)</DigestValue>"));
  return digest[1];
}

// As the tax authority returns it: the signed manifest with the protocol that accepted its digest.
std::string Authorised(const std::string& signedManifest, const std::string& cStat = "100") {
  const std::string manifest = signedManifest.substr(signedManifest.find("<MDFe"));
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<mdfeProc xmlns=\"http://www.portalfiscal.inf.br/mdfe\" "
         "versao=\"3.00\">" + manifest.substr(0, manifest.rfind("</MDFe>") + 7) +
         "<protMDFe versao=\"3.00\"><infProt><tpAmb>1</tpAmb><verAplic>RS20261201</verAplic><chMDFe>" + kSampleKey +
         "</chMDFe><dhRecbto>2026-12-07T08:35:12-03:00</dhRecbto><nProt>935260000012345</nProt><digVal>" +
         DigestOf(signedManifest) + "</digVal><cStat>" + cStat + "</cStat><xMotivo>Autorizado o uso do MDF-e"
         "</xMotivo></infProt></protMDFe></mdfeProc>\n";
}

class Verification : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    signer_ = std::make_unique<TestSigner>();
    signed_ = signer_->Sign(ProductionSample(), "infMDFe");
    authorised_ = Authorised(signed_);
  }
  static void TearDownTestSuite() { signer_.reset(); }

  ToolResult Imprimir(const std::vector<std::string>& arguments) const { return RunTool(kPrinter, arguments); }

  // One JSON object per line of standard output.
  static std::vector<QJsonObject> JsonLines(const std::string& out) {
    std::vector<QJsonObject> objects;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
      objects.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    }
    return objects;
  }
  static std::string Reasons(const QJsonObject& verdict) {
    std::string joined;
    for (const QJsonValue& reason : verdict["motivos"].toArray()) joined += reason.toString().toStdString() + "; ";
    return joined;
  }

  static std::unique_ptr<TestSigner> signer_;
  static std::string signed_;
  static std::string authorised_;
  TempDir dir_;
};

std::unique_ptr<TestSigner> Verification::signer_;
std::string Verification::signed_;
std::string Verification::authorised_;

struct Variant {
  std::string name;
  std::function<std::string(const std::string& authorised)> make;
  std::string status;
  std::string reason;           // a piece of one of the reasons
  bool signatureCase = false;   // xmlsec1 judges it the same way
};

TEST_F(Verification, VerdictsOnAlteredCopiesAgreeWithXmlsec1) {
  const std::string keyEnd = "76543210";
  const std::vector<Variant> variants = {
      {"authorised", [](const std::string& xml) { return xml; }, "confere", "", true},
      {"cargo weight raised",
       [](const std::string& xml) { return Replaced(xml, "<qCarga>18250.5000", "<qCarga>28250.5000"); }, "nao_confere",
       "alterado depois de assinado", true},
      {"issuer renamed", [](const std::string& xml) { return Replaced(xml, "EXEMPLO DE CARGAS", "EXEMPLAR DE CARGAS"); },
       "nao_confere", "alterado depois de assinado", true},
      {"re-indented inside infMDFe", [](const std::string& xml) { return Replaced(xml, "\n      <", "\n\t\t<"); },
       "nao_confere", "alterado depois de assinado", true},
      {"whitespace outside infMDFe",
       [](const std::string& xml) {
         return Replaced(Replaced(xml, "<protMDFe", "\n\n  <protMDFe"), "</infMDFeSupl>", "</infMDFeSupl>\n   \n");
       },
       "confere", "", true},
      {"another manifest's digVal",
       [](const std::string& xml) { return Replaced(xml, "<digVal>" + DigestOf(xml), "<digVal>9PGLSQk33iw/aAhwEvsZ/bT0YNY="); },
       "nao_confere", "digVal"},
      {"refused protocol", [](const std::string& xml) { return Replaced(xml, "<cStat>100<", "<cStat>110<"); },
       "nao_confere", "cStat 110"},
      {"wrong key digit, signed so",
       [&](const std::string&) {
         std::string wrong = Replaced(Replaced(ProductionSample(), keyEnd, "76543211"), "<cDV>0<", "<cDV>1<");
         return signer_->Sign(wrong, "infMDFe");
       },
       "nao_confere", "dígito verificador"},
      {"unknown algorithm", [](const std::string& xml) { return Replaced(xml, "#rsa-sha1", "#dsa-sha1"); },
       "nao_confere", "algoritmo de assinatura desconhecido"},
      {"two references",
       [](const std::string& xml) {
         const size_t from = xml.find("<Reference"), to = xml.find("</Reference>") + 12;
         return xml.substr(0, to) + xml.substr(from, to - from) + xml.substr(to);
       },
       "nao_confere", "2 referências"},
      {"reference to another element", [](const std::string& xml) { return Replaced(xml, "URI=\"#MDFe", "URI=\"#X"); },
       "nao_confere", "não ao Id de infMDFe"},
      {"retrieval method",
       [](const std::string& xml) {
         return Replaced(xml, "<KeyInfo>", "<KeyInfo><RetrievalMethod URI=\"http://127.0.0.1:9/certificado\"/>");
       },
       "nao_confere", "RetrievalMethod"},
      {"certificate that does not parse",
       [](const std::string& xml) { return Replaced(xml, "<X509Certificate>MII", "<X509Certificate>AAA"); },
       "nao_confere", "não pôde ser lido"},
      {"unsigned draft", [](const std::string&) { return ProductionSample(); }, "sem_assinatura", ""},
  };
  std::vector<std::string> arguments = {"--verificar", "--json"};
  for (size_t i = 0; i < variants.size(); ++i) {
    arguments.push_back(dir_.Write("variante" + std::to_string(i) + ".xml", variants[i].make(authorised_)).string());
  }
  const ToolResult result = Imprimir(arguments);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  const std::vector<QJsonObject> verdicts = JsonLines(result.out);
  ASSERT_EQ(verdicts.size(), variants.size()) << result.out;
  for (size_t i = 0; i < variants.size(); ++i) {
    SCOPED_TRACE(variants[i].name);
    EXPECT_EQ(verdicts[i]["status"].toString().toStdString(), variants[i].status) << Reasons(verdicts[i]);
    EXPECT_NE(Reasons(verdicts[i]).find(variants[i].reason), std::string::npos) << Reasons(verdicts[i]);
    if (!variants[i].signatureCase) continue;
    const ToolResult xmlsec = RunTool("xmlsec1", {"--verify", "--trusted-pem", signer_->RootCertificate().string(),
                                                  "--id-attr:Id", "http://www.portalfiscal.inf.br/mdfe:infMDFe",
                                                  arguments[i + 2]});
    EXPECT_EQ(xmlsec.exitCode == 0, variants[i].status == "confere") << xmlsec.err;
  }
  const QJsonObject certificate = verdicts[0]["certificado"].toObject();
  EXPECT_EQ(certificate["numero"].toString(), QStringLiteral("12345678000195"));
  EXPECT_EQ(certificate["cadeia"].toString(), QStringLiteral("nao_verificada"));
  EXPECT_TRUE(verdicts[0]["esquema"]["violacoes"].toArray().isEmpty()) << result.out;
}

TEST_F(Verification, ChainIsValidatedOnlyAgainstTheRootsGiven) {
  const std::string file = dir_.Write("mdfe.xml", authorised_).string();
  const ToolResult without = Imprimir({"--verificar", file});
  EXPECT_EQ(without.exitCode, 0) << without.out;
  EXPECT_NE(without.out.find("cadeia não verificada"), std::string::npos) << without.out;
  const ToolResult right = Imprimir({"--verificar", "--cadeia", signer_->RootFolder().string(), file});
  EXPECT_EQ(right.exitCode, 0) << right.out;
  EXPECT_NE(right.out.find(": confere\n  certificado: CNPJ 12345678000195"), std::string::npos) << right.out;
  EXPECT_NE(right.out.find("cadeia verificada"), std::string::npos) << right.out;
  const ToolResult wrong = Imprimir({"--verificar", "--cadeia", signer_->OtherRootFolder().string(), file});
  EXPECT_EQ(wrong.exitCode, 1);
  EXPECT_NE(wrong.out.find("não confere: cadeia do certificado: a cadeia não chega a uma raiz"), std::string::npos)
      << wrong.out;
}

TEST_F(Verification, SheetSaysWhyAndStillPrints) {
  const struct {
    std::string name;
    std::string xml;
    std::string notice;
  } cases[] = {
      {"authorised", authorised_, ""},
      {"altered", Replaced(authorised_, "<qCarga>18250.5000", "<qCarga>28250.5000"), kSignatureNotice},
      {"another protocol", Replaced(authorised_, "<digVal>" + DigestOf(authorised_), "<digVal>9PGLSQk33iw/aAhwEvsZ/bT0YNY="),
       kProtocolNotice},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto pdf = dir_ / (c.name + ".pdf");
    const ToolResult result = Imprimir({"--json", "--pdf", pdf.string(), dir_.Write(c.name + ".xml", c.xml).string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string text = SheetText(pdf);
    const QJsonObject line = JsonLines(result.out).at(0);
    EXPECT_EQ(line["status"].toString(), QStringLiteral("impresso"));
    EXPECT_NE(text.find("935260000012345"), std::string::npos) << text;
    if (c.notice.empty()) {
      EXPECT_EQ(line["verificacao"]["status"].toString(), QStringLiteral("confere"));
      EXPECT_EQ(text.find("NÃO CONFERE"), std::string::npos) << text;
      EXPECT_EQ(text.find("SEM VALOR FISCAL"), std::string::npos) << text;
      EXPECT_EQ(result.err, "");
    } else {
      EXPECT_EQ(line["verificacao"]["status"].toString(), QStringLiteral("nao_confere"));
      EXPECT_NE(text.find(c.notice), std::string::npos) << text;
      EXPECT_NE(text.find("SEM VALOR FISCAL"), std::string::npos) << text;
      EXPECT_NE(result.err.find("aviso: "), std::string::npos) << result.err;
    }
  }
}

TEST_F(Verification, EventWhoseSignatureFailsIsIgnoredWithAWarning) {
  EventFields cancellation = Cancellation();
  cancellation.environment = "1";
  const std::string signedEvent = signer_->Sign(ProcEvento(cancellation), "infEvento");
  const std::string manifest = dir_.Write("mdfe.xml", authorised_).string();
  for (const bool tampered : {false, true}) {
    SCOPED_TRACE(tampered ? "tampered" : "as signed");
    const std::string event =
        tampered ? Replaced(signedEvent, "Carga nao embarcada", "Carga embarcada") : signedEvent;
    const std::string eventFile = dir_.Write("evento.xml", event).string();
    const auto pdf = dir_ / "cancelado.pdf";
    const ToolResult result = Imprimir({"--evento", eventFile, "--pdf", pdf.string(), manifest});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const bool cancelled = SheetText(pdf).find("CANCELADO") != std::string::npos;
    EXPECT_EQ(cancelled, !tampered);
    EXPECT_EQ(result.err.find("evento 110111 em " + eventFile + " tem assinatura que não confere") !=
                  std::string::npos,
              tampered)
        << result.err;
  }
}

// The shared samples were anonymised after signing: none of the signed ones may pass.
TEST_F(Verification, SharedSamplesSignedByOthersDoNotPassAsAuthentic) {
  if (!std::filesystem::is_directory(kSharedSamples)) GTEST_SKIP() << "shared samples absent at " << kSharedSamples;
  for (const auto& entry : std::filesystem::directory_iterator(kSharedSamples)) {
    if (entry.path().extension() != ".xml") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const bool signedFile = entry.path().filename().string().find("_signed") != std::string::npos;
    const ToolResult result = Imprimir({"--verificar", "--json", entry.path().string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(JsonLines(result.out).at(0)["status"].toString().toStdString(),
              signedFile ? "nao_confere" : "sem_assinatura");
  }
}

}  // namespace
