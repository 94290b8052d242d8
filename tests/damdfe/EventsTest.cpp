// Events of the sample manifest given to damdfe-imprimir, read back from the PDF.

#include <gtest/gtest.h>

#include <filesystem>

#include "EventFiles.h"
#include "TestFiles.h"
#include "ToolRunner.h"

namespace {

const std::filesystem::path kSample = std::filesystem::path(DAMDFE_SOURCE_DIR) / "samples" / "MDFe_exemplo.xml";
const std::string kPrinter = std::string(DAMDFE_BIN_DIR) + "/damdfe-imprimir";

const std::string kCancelledLine =
    "MDF-e cancelado em 08/12/2026 16:20:05 – protocolo " + EventProtocol(Cancellation());
const std::string kAddedDriver = "CARLOS EDUARDO PEREIRA (incluído em 08/12/2026)";

EventFields With(EventFields event, std::string EventFields::*field, std::string value) {
  event.*field = std::move(value);
  return event;
}

class EventsTest : public testing::Test {
 protected:
  void SetUp() override {
    Event("cancelamento.xml", Cancellation());
    Event("encerramento.xml", Closing());
    Event("condutor.xml", DriverAdded());
    Event("nao-registrado.xml", With(Cancellation(), &EventFields::cStat, "631"));
    Event("outra-chave.xml", With(DriverAdded(), &EventFields::key, std::string(43, '4') + "1"));
    Event("outro-ambiente.xml", With(Cancellation(), &EventFields::environment, "1"));
    Event("inclusao-dfe.xml", {"110115", "<evIncDFeMDFe><descEvento>Inclusao DF-e</descEvento></evIncDFeMDFe>"});
    events_.Write("quebrado.xml", "<procEventoMDFe xmlns=\"http://www.portalfiscal.inf.br/mdfe\"><eventoMDFe>");
  }

  void Event(const std::string& name, const EventFields& fields) { events_.Write(name, ProcEvento(fields)); }

  // Prints the sample with the event files named; the PDF's text in `text` ("-raw" keeps a rotated mark whole).
  ToolResult Print(const std::vector<std::string>& eventNames, std::vector<std::string> extra = {}) {
    std::filesystem::remove(pdf());
    std::vector<std::string> arguments = {"--pdf", pdf().string(), kSample.string()};
    for (const std::string& name : eventNames)
      arguments.insert(arguments.end(), {"--evento", (events_ / name).string()});
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    ToolResult result = RunTool(kPrinter, arguments);
    text = std::filesystem::exists(pdf()) ? RunTool("pdftotext", {"-raw", pdf().string(), "-"}).out : "";
    return result;
  }
  std::filesystem::path pdf() const { return output_ / "damdfe.pdf"; }
  bool Shows(const std::string& what) const { return Occurrences(what) > 0; }
  size_t Occurrences(const std::string& what) const {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
  }

  TempDir events_;
  TempDir output_;
  std::string text;
};

TEST_F(EventsTest, MarksLinesAndDriversOnTheSheet) {
  struct Case {
    std::vector<std::string> events;
    std::vector<std::string> shown, hidden;
    std::string warning;
  };
  const Case cases[] = {
      {{"encerramento.xml", "cancelamento.xml"}, {"CANCELADO", kCancelledLine}, {"ENCERRADO"}, ""},
      {{"condutor.xml", "condutor.xml"}, {"MARIA APARECIDA DE SOUZA\n111.444.777-35 " + kAddedDriver}, {}, ""},
      {{"nao-registrado.xml"}, {}, {"CANCELADO"}, "nao-registrado.xml não foi registrado (cStat 631); ignorado"},
      {{"outro-ambiente.xml"}, {}, {"CANCELADO"}, "outro-ambiente.xml é de outro ambiente (tpAmb 1); ignorado"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.events));
    ToolResult result = Print(c.events);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const std::string& shown : c.shown) EXPECT_EQ(Occurrences(shown), 1u) << shown << " in\n" << text;
    for (const std::string& hidden : c.hidden) EXPECT_FALSE(Shows(hidden)) << hidden;
    if (c.warning.empty()) {
      EXPECT_EQ(result.err, "");
    } else {
      EXPECT_NE(result.err.find(c.warning), std::string::npos) << result.err;
    }
  }
}

TEST_F(EventsTest, WithoutEventsOrWithIgnoredOnesTheSheetIsUnchanged) {
  ASSERT_EQ(Print({}).exitCode, 0);
  const std::string plain = text;
  for (const char* word : {"CANCELADO", "ENCERRADO", "incluído"}) EXPECT_FALSE(Shows(word)) << word;
  ASSERT_EQ(Print({"inclusao-dfe.xml", "nao-registrado.xml", "outro-ambiente.xml"}).exitCode, 0);
  EXPECT_EQ(text, plain);
}

TEST_F(EventsTest, BadOrForeignEventFilesPrintNothing) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string error;
  };
  const Case cases[] = {
      {{"--evento", (events_ / "outra-chave.xml").string()}, 2, "outra-chave.xml é do MDF-e de chave 4444"},
      {{"--evento", (events_ / "quebrado.xml").string()},
       1,
       "arquivo de evento " + (events_ / "quebrado.xml").string()},
      {{"--evento", kSample.string()}, 1, "não é um evento de MDF-e registrado (procEventoMDFe)"},
      {{"--evento", (events_ / "falta.xml").string()}, 1, "falta.xml: arquivo não encontrado"},
      {{"--eventos", (events_ / "falta").string()}, 2, "a pasta de eventos não existe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    ToolResult result = Print({}, c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(pdf()));
  }
}

// The folder holds events of this manifest and of another one, and the manifest itself.
TEST_F(EventsTest, FolderGivesTheEventsOfTheManifestOnly) {
  TempDir folder;
  for (const char* name : {"cancelamento.xml", "condutor.xml", "outra-chave.xml"}) {
    std::filesystem::copy_file(events_ / name, folder / name);
  }
  std::filesystem::copy_file(kSample, folder / "MDFe_exemplo.xml");
  ToolResult result = Print({}, {"--eventos", folder.path().string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(Shows(kCancelledLine));
  EXPECT_TRUE(Shows(kAddedDriver));

  ToolResult parameters = RunTool(kPrinter, {"--parametros", "--eventos", folder.path().string(), kSample.string()});
  EXPECT_NE(parameters.out.find("\nmarca_evento=CANCELADO\ntexto_evento=" + kCancelledLine + "\n"), std::string::npos)
      << parameters.out;
}

}  // namespace
