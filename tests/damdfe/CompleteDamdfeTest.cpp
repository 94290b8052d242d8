// The complete DAMDFE read back from the PDF with the tools a person would use.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "EventFiles.h"
#include "ManifestVariants.h"
#include "PrintJob.h"
#include "ReportOutput.h"
#include "TestFiles.h"
#include "ToolRunner.h"

namespace {

std::string WithoutBlanks(std::string text) {
  text.erase(std::remove_if(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); }), text.end());
  return text;
}

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

std::vector<std::string> Cells(const std::string& list) {
  std::vector<std::string> cells;
  std::string cell;
  for (char c : list) {
    if (c == '\t' || c == '\n') {
      if (!cell.empty()) cells.push_back(cell);
      cell.clear();
    } else {
      cell += c;
    }
  }
  return cells;
}

struct PrintedWord {
  std::string text;
  int page = 0;
  double left = 0, top = 0, right = 0, bottom = 0;  // points
};

// Every word of the PDF with its box, as pdftotext -bbox finds it.
std::vector<PrintedWord> PrintedWords(const std::filesystem::path& pdf) {
  std::string html = RunTool("pdftotext", {"-bbox", pdf.string(), "-"}).out;
  static const std::regex tag(
      R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  std::vector<PrintedWord> words;
  int page = 0;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), tag); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    if (m[5].length() == 0 && m.str(0).rfind("<page", 0) == 0) {
      ++page;
      continue;
    }
    words.push_back({m[5], page, std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])});
  }
  return words;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

class CompleteDamdfe : public testing::TestWithParam<int> {
 protected:
  // Prints the manifest text in the format under test; returns the PDF's path.
  std::filesystem::path Print(const std::string& xml, const std::vector<std::string>& eventFiles = {}) {
    return PrintFile(dir_.Write("manifest.xml", xml), eventFiles);
  }

  std::filesystem::path PrintFile(const std::filesystem::path& xml, const std::vector<std::string>& eventFiles = {}) {
    std::filesystem::path pdf = dir_ / ("damdfe" + std::to_string(++prints_) + ".pdf");
    SetReportOutput(rv::PdfFile{QString::fromStdString(pdf.string())});
    std::string result = PrintDAMDFEWithTemplates(DAMDFE_BIN_DIR, xml.string(), "", "", "", GetParam(), eventFiles);
    EXPECT_EQ(result, "") << xml;
    return pdf;
  }

  int Pages(const std::filesystem::path& pdf) {
    std::smatch match;
    std::string info = RunTool("pdfinfo", {pdf.string()}).out;
    return std::regex_search(info, match, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(match[1]) : 0;
  }

  // "-raw" keeps the words of a rotated mark together.
  std::string PageText(const std::filesystem::path& pdf, int page, const std::string& mode = "-layout") {
    std::string number = std::to_string(page);
    return RunTool("pdftotext", {mode, "-f", number, "-l", number, pdf.string(), "-"}).out;
  }

  TempDir dir_;
  int prints_ = 0;
};

TEST_P(CompleteDamdfe, QrCodeReadsBackAsStoredBesideTheKeyBarcode) {
  std::string url =
      "https://dfe-portal.svrs.rs.gov.br/mdfe/qrCode?chMDFe=35261212345678000195580010000012341876543210&tpAmb=2";
  std::string escaped = std::regex_replace(url, std::regex("&"), "&amp;");
  std::string xml = ReplaceElement(SampleManifest(), "qrCodMDFe", "<qrCodMDFe>" + escaped + "</qrCodMDFe>");
  TempDir scans;
  std::vector<std::string> codes = PdfBarcodes(Print(xml), scans.path());
  std::sort(codes.begin(), codes.end());
  EXPECT_EQ(codes, (std::vector<std::string>{"35261212345678000195580010000012341876543210", url}));
}

// Every driver, vehicle, averbação, CIOT, contractor, voucher and key that the
// manifest holds, found in the text of the sheets.
TEST_P(CompleteDamdfe, MaximalManifestPrintsEveryListWhole) {
  MaximalManifest m = Maximal();
  std::filesystem::path pdf = Print(m.xml);
  int pages = Pages(pdf);
  ASSERT_GT(pages, 1);
  std::string text;
  for (int page = 1; page <= pages; ++page) {
    std::string pageText = PageText(pdf, page);
    EXPECT_NE(pageText.find(std::to_string(page) + " / " + std::to_string(pages)), std::string::npos) << page;
    text += WithoutBlanks(pageText);
  }
  for (const auto* list : {&m.drivers, &m.trailerPlates, &m.averbacoes, &m.ciots, &m.contractors, &m.vouchers}) {
    for (const std::string& item : *list) {
      // The first driver also heads the road modal block.
      size_t expected = &item == &m.drivers.front() ? 2u : 1u;
      EXPECT_EQ(Occurrences(text, WithoutBlanks(item)), expected) << item;
    }
  }
  for (const std::string& key : m.keys) EXPECT_EQ(Occurrences(text, key), 1u) << key;
}

// The mark and the line of a cancelled or closed manifest head every sheet; cancelled wins.
TEST_P(CompleteDamdfe, EventMarkAndLineOnEverySheet) {
  const std::string cancelled = dir_.Write("cancelamento.xml", ProcEvento(Cancellation())).string();
  const std::string closed = dir_.Write("encerramento.xml", ProcEvento(Closing())).string();
  struct Case {
    std::vector<std::string> events;
    std::string mark, line, otherMark;
  };
  const Case cases[] = {
      {{closed, cancelled}, "CANCELADO", "MDF-e cancelado em 08/12/2026 16:20:05", "ENCERRADO"},
      {{closed}, "ENCERRADO", "MDF-e encerrado em 09/12/2026 – UF RS – município 4314902", "CANCELADO"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mark);
    std::filesystem::path pdf = Print(WithLinkedDocuments(300), c.events);
    int pages = Pages(pdf);
    ASSERT_GT(pages, 1);
    for (int page = 1; page <= pages; ++page) {
      std::string text = PageText(pdf, page, "-raw");
      EXPECT_EQ(Occurrences(text, c.mark), 1u) << page;
      EXPECT_EQ(Occurrences(text, c.line), 1u) << page;
      EXPECT_EQ(Occurrences(text, c.otherMark), 0u) << page;
    }
  }
}

TEST_P(CompleteDamdfe, TenThousandKeysEachOnceOnNumberedSheets) {
  const int count = 10000;
  std::filesystem::path pdf = Print(WithLinkedDocuments(count));
  int pages = Pages(pdf);
  ASSERT_GT(pages, 50);
  std::map<std::string, int> seen;
  const std::regex key("(\\d{4} ){10}\\d{4}");
  for (int page = 1; page <= pages; ++page) {
    std::string text = PageText(pdf, page);
    SCOPED_TRACE(page);
    EXPECT_NE(text.find(std::to_string(page) + " / " + std::to_string(pages)), std::string::npos);
    EXPECT_NE(text.find("DAMDFE - Documento Auxiliar"), std::string::npos);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), key); it != std::sregex_iterator(); ++it) {
      ++seen[WithoutBlanks(it->str())];  // the manifest's own key too, once a sheet
    }
  }
  seen.erase(WithoutBlanks("3526 1212 3456 7800 0195 5800 1000 0012 3418 7654 3210"));
  ASSERT_EQ(seen.size(), static_cast<size_t>(count));
  for (int serial = 0; serial < count; ++serial) EXPECT_EQ(seen[Key(serial % 5 + 1, serial)], 1) << serial;
}

// infCpl as long as the schema allows, alone and beside a long infAdFisco: every
// word once, at 6 pt or more, on sheets numbered "i / n", nothing overlapping.
TEST_P(CompleteDamdfe, LongObservationsContinueLegiblyOnNumberedSheets) {
  const std::vector<std::string> complementary = ObservationWords(5000);
  std::vector<std::string> forTheTaxAuthority = ObservationWords(2000);
  for (std::string& word : forTheTaxAuthority) word.replace(0, 3, "fco");  // "fi" would print as a ligature
  ASSERT_GE(Joined(complementary).size(), 4990u);

  for (bool withFisco : {false, true}) {
    SCOPED_TRACE(withFisco ? "with infAdFisco" : "infCpl alone");
    // The production environment: no mark crosses the text.
    std::string xml = WithEnvironment(
        WithObservations(SampleManifest(), Joined(complementary), withFisco ? Joined(forTheTaxAuthority) : ""), "1");
    std::filesystem::path pdf = Print(xml);
    int pages = Pages(pdf);
    ASSERT_GT(pages, 1);
    for (int page = 1; page <= pages; ++page) {
      std::string text = PageText(pdf, page);
      EXPECT_NE(WithoutBlanks(text).find(std::to_string(page) + "/" + std::to_string(pages)), std::string::npos)
          << page;
      EXPECT_EQ(text.find("OBSERVAÇÕES (continuação)") != std::string::npos, page == 2) << page;
    }

    std::vector<PrintedWord> words = PrintedWords(pdf);
    std::map<std::string, int> seen;
    for (const PrintedWord& word : words) {
      ++seen[word.text];
      // A line of 6 pt stands about 7 pt high.
      if (word.text.rfind("obs", 0) == 0 || word.text.rfind("fco", 0) == 0) {
        EXPECT_GE(word.bottom - word.top, 7.0) << word.text;
      }
    }
    for (const std::string& word : complementary) EXPECT_EQ(seen[word], 1) << word;
    for (const std::string& word : forTheTaxAuthority) EXPECT_EQ(seen[word], withFisco ? 1 : 0) << word;

    for (size_t i = 0; i < words.size(); ++i) {
      for (size_t j = i + 1; j < words.size() && words[j].page == words[i].page; ++j) {
        const PrintedWord& a = words[i];
        const PrintedWord& b = words[j];
        const double slack = 0.3;
        bool overlap = a.left + slack < b.right && b.left + slack < a.right && a.top + slack < b.bottom &&
                       b.top + slack < a.bottom;
        EXPECT_FALSE(overlap) << a.text << " and " << b.text << " on sheet " << a.page;
      }
    }
  }
}

TEST_P(CompleteDamdfe, SemValorFiscalExactlyInTheTestEnvironment) {
  for (const char* tpAmb : {"1", "2"}) {
    for (int documents : {2, 400}) {
      SCOPED_TRACE(testing::Message() << "tpAmb " << tpAmb << ", " << documents << " documents");
      std::filesystem::path pdf = Print(WithEnvironment(WithLinkedDocuments(documents), tpAmb));
      int pages = Pages(pdf);
      EXPECT_EQ(pages > 1, documents > 2);
      for (int page = 1; page <= pages; ++page) {
        std::string text =
            RunTool("pdftotext", {"-raw", "-f", std::to_string(page), "-l", std::to_string(page), pdf.string(), "-"})
                .out;
        EXPECT_EQ(Occurrences(WithoutBlanks(text), "SEMVALORFISCAL"), std::string(tpAmb) == "2" ? 1u : 0u) << page;
      }
    }
  }
}

TEST_P(CompleteDamdfe, ManifestWithoutOptionalBlocksPrintsOneSheet) {
  std::filesystem::path pdf = Print(MinimalManifest());
  ASSERT_EQ(Pages(pdf), 1);
  std::string text = WithoutBlanks(PageText(pdf, 1));
  for (const char* expected : {"1/1", "AAA0A00",
                               "3526011234567800019555001000000001100000001"
                               "0",
                               "TON"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
}

// Whatever a real manifest lists reaches the sheet: each cell of the lists that
// an inspector checks.
TEST_P(CompleteDamdfe, RealManifestsShowEveryListedItem) {
  const std::filesystem::path folder = DAMDFE_SHARED_SAMPLES;
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no folder " << folder;
  std::vector<std::filesystem::path> files{DAMDFE_SOURCE_DIR "/samples/MDFe_exemplo.xml"};
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".xml") files.push_back(entry.path());
  }
  ASSERT_GE(files.size(), 7u);
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    TParameterRecorder fixed, supplementary;
    FillDAMDFEParameters(LoadManifestForPrinting(file.string()), "", "", "", fixed, &supplementary);
    std::filesystem::path pdf = PrintFile(file);
    ASSERT_EQ(Pages(pdf), 1);
    std::string text = WithoutBlanks(PageText(pdf, 1));
    for (const auto& [name, value] : supplementary.settings) {
      if (name != "condutores" && name != "veiculos" && name != "seguros" && name != "documentos" && name != "ciot" &&
          name != "contratantes" && name != "vale_pedagio" && name != "RNTRC" && name != "UFFim") {
        continue;
      }
      for (const std::string& cell : Cells(value))
        EXPECT_NE(text.find(WithoutBlanks(cell)), std::string::npos) << name << ": " << cell;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothFormats, CompleteDamdfe, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? "Retrato" : "Paisagem";
                         });

}  // namespace
