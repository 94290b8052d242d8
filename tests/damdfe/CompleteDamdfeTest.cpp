// The complete DAMDFE read back from the PDF with the tools a person would use.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "DamdfeTexts.h"
#include "EventFiles.h"
#include "ManifestVariants.h"
#include "ManifestLoading.h"
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
  std::filesystem::path Print(const std::string& xml, const std::string& protocol = "",
                              const std::vector<std::string>& eventFiles = {}) {
    return PrintFile(dir_.Write("manifest.xml", xml), protocol, eventFiles);
  }

  std::filesystem::path PrintFile(const std::filesystem::path& xml, const std::string& protocol = "",
                                  const std::vector<std::string>& eventFiles = {}) {
    std::filesystem::path pdf = dir_ / ("damdfe" + std::to_string(++prints_) + ".pdf");
    std::string result = PrintDAMDFE({xml.string(), "", "", protocol, GetParam(), eventFiles},
                                     rv::PdfFile{QString::fromStdString(pdf.string())}, DAMDFE_BIN_DIR);
    EXPECT_EQ(result, "") << xml;
    return pdf;
  }

  int Pages(const std::filesystem::path& pdf) {
    std::smatch match;
    std::string info = RunTool("pdfinfo", {pdf.string()}).out;
    return std::regex_search(info, match, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(match[1]) : 0;
  }

  // In drawing order (-raw) the lines of a wrapped cell follow one another and a rotated mark's words stay together.
  std::string PageText(const std::filesystem::path& pdf, int page, const char* mode = "-layout") {
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
    std::string pageText = PageText(pdf, page, "-raw");
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
  EXPECT_NE(text.find("SEGURODACARGA(continuação)"), std::string::npos);
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
    std::filesystem::path pdf = Print(WithLinkedDocuments(300), "", c.events);
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

// Loading municipalities, states crossed and seals as many as the schema allows, units with their
// seals, long averbações and a long name without blanks.
struct LongListsManifest {
  std::string xml;
  std::vector<std::string> values;  // each printed as one word
};

LongListsManifest LongLists() {
  LongListsManifest m;
  std::string xml = SampleManifest();
  const std::string longName = "SAOJOSEDOSCAMPOSNOVO";  // 20 letters
  std::string loading;
  for (int i = 1; i <= 11; ++i) {
    std::string name = i == 11 ? longName : "CARREGAMENTO" + std::to_string(i);
    loading += "<infMunCarrega><cMunCarrega>35" + std::to_string(10000 + i) + "</cMunCarrega><xMunCarrega>" + name +
               "</xMunCarrega></infMunCarrega>";
    m.values.push_back(name);
  }
  m.values.push_back("Campinas");
  xml = ReplaceElement(xml, "infMunCarrega", loading);
  const char* const states[] = {"AC", "AL", "AP", "AM", "BA", "CE", "DF", "ES", "GO", "MA", "MT", "MS",
                                "MG", "PA", "PB", "PE", "PI", "RJ", "RN", "RO", "RR", "TO", "SE", "PR"};
  std::string route;
  for (const char* state : states) route += std::string("<infPercurso><UFPer>") + state + "</UFPer></infPercurso>";
  m.values.insert(m.values.end(), std::begin(states), std::end(states));
  m.values.push_back("SC");
  xml = ReplaceElement(xml, "infPercurso", route);
  std::string seals = "<lacres><nLacre>LACRE0001</nLacre></lacres>";
  for (int i = 2; i <= 20; ++i) seals += "<lacres><nLacre>LACRE" + std::string(i < 10 ? "000" : "00") + std::to_string(i) + "</nLacre></lacres>";
  for (int i = 1; i <= 20; ++i) m.values.push_back("LACRE" + std::string(i < 10 ? "000" : "00") + std::to_string(i));
  xml = ReplaceElement(xml, "lacres", seals);
  std::string averbacoes;
  for (int i = 1; i <= 3; ++i) {
    std::string number = "AVERBACAO" + std::string(30, '0') + std::to_string(i);  // 40 characters
    averbacoes += "<nAver>" + number + "</nAver>";
    m.values.push_back(number);
  }
  xml = ReplaceElement(ReplaceElement(ReplaceElement(xml, "nAver", ""), "nAver", ""), "nApol",
                       "<nApol>0012345678</nApol>" + averbacoes);
  const std::string units =
      "<infUnidTransp><tpUnidTransp>2</tpUnidTransp><idUnidTransp>UNIDTRANSP01</idUnidTransp>"
      "<lacUnidTransp><nLacre>LACRETRANSP1</nLacre></lacUnidTransp><lacUnidTransp><nLacre>LACRETRANSP2</nLacre>"
      "</lacUnidTransp><infUnidCarga><tpUnidCarga>1</tpUnidCarga><idUnidCarga>UNIDCARGA01</idUnidCarga>"
      "<lacUnidCarga><nLacre>LACRECARGA1</nLacre></lacUnidCarga></infUnidCarga></infUnidTransp>";
  xml = ReplaceElement(xml, "infNFe",
                       "<infNFe><chNFe>35261244555666000172550010000090011200090015</chNFe>" + units + "</infNFe>");
  m.values.insert(m.values.end(), {"UNIDTRANSP01", "LACRETRANSP1", "LACRETRANSP2", "UNIDCARGA01", "LACRECARGA1"});
  m.xml = ReplaceElement(xml, "xMunDescarga", "<xMunDescarga>" + longName + "</xMunDescarga>");
  return m;
}

// The page in grey levels, as a person sees it.
struct RenderedPage {
  int width = 0, height = 0;
  std::string pixels;
  double dpi = 0;
  // The share of dark pixels in a box given in points.
  double InkIn(double left, double top, double right, double bottom) const {
    const double k = dpi / 72.0;
    int dark = 0, all = 0;
    for (int y = static_cast<int>(top * k); y < static_cast<int>(bottom * k) && y < height; ++y) {
      for (int x = static_cast<int>(left * k); x < static_cast<int>(right * k) && x < width; ++x, ++all) {
        dark += static_cast<unsigned char>(pixels[static_cast<size_t>(y) * width + x]) < 128;
      }
    }
    return all == 0 ? 0.0 : static_cast<double>(dark) / all;
  }
};

RenderedPage Render(const std::filesystem::path& pdf, int page, const std::filesystem::path& dir) {
  const std::string number = std::to_string(page);
  const std::filesystem::path stem = dir / ("page" + number);
  RunTool("pdftoppm", {"-gray", "-r", "150", "-f", number, "-l", number, "-singlefile", pdf.string(), stem.string()});
  std::istringstream pgm(ReadFileBytes(stem.string() + ".pgm"));
  RenderedPage rendered;
  std::string magic;
  int levels = 0;
  pgm >> magic >> rendered.width >> rendered.height >> levels;
  pgm.get();
  rendered.pixels.assign(std::istreambuf_iterator<char>(pgm), {});
  rendered.dpi = 150;
  return rendered;
}

// Every value whole in the text layer, and wherever the text layer has it, ink on the page: a value
// cut by its box is in the text but not on the sheet.
TEST_P(CompleteDamdfe, LongListsShowWholeOnTheRenderedPage) {
  LongListsManifest m = LongLists();
  std::filesystem::path pdf = Print(m.xml);
  std::vector<PrintedWord> words = PrintedWords(pdf);
  std::map<int, RenderedPage> pages;
  for (const std::string& value : m.values) {
    SCOPED_TRACE(value);
    int found = 0;
    for (const PrintedWord& word : words) {
      std::string text = word.text;
      if (!text.empty() && text.back() == ',') text.pop_back();
      if (text != value) continue;
      ++found;
      if (!pages.count(word.page)) pages[word.page] = Render(pdf, word.page, dir_.path());
      EXPECT_GT(pages[word.page].InkIn(word.left, word.top, word.right, word.bottom), 0.04)
          << "page " << word.page << " at " << word.left << ", " << word.top;
    }
    EXPECT_GE(found, 1);
  }
}

// 2,000 keys of one municipality: its name once a copy of the columns, keys side by side, slim
// continuation sheets.
TEST_P(CompleteDamdfe, TwoThousandKeysOnFifteenSheetsAtMost) {
  std::filesystem::path pdf = Print(WithLinkedDocuments(2000, 1));
  int pages = Pages(pdf);
  EXPECT_LE(pages, 15);
  for (int page = 2; page <= pages; ++page) {
    std::string text = PageText(pdf, page, "-raw");
    EXPECT_GE(Occurrences(text, "Cidade 1 (continuação)"), 2u) << page;
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
    // An authorised manifest of the production environment: no mark crosses the text.
    std::string xml = WithEnvironment(
        WithObservations(SampleManifest(), Joined(complementary), withFisco ? Joined(forTheTaxAuthority) : ""), "1");
    std::filesystem::path pdf = Print(xml, "135260000012345");
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

// The test environment, and a production manifest printed with no protocol at all.
TEST_P(CompleteDamdfe, SemValorFiscalExactlyWithoutValidity) {
  struct Case {
    const char* tpAmb;
    const char* protocol;
    bool marked;
  };
  for (const Case& c : {Case{"2", "", true}, Case{"1", "135260000012345", false}, Case{"1", "", true}}) {
    for (int documents : {2, 400}) {
      SCOPED_TRACE(testing::Message() << "tpAmb " << c.tpAmb << ", protocol \"" << c.protocol << "\", " << documents
                                      << " documents");
      std::filesystem::path pdf = Print(WithEnvironment(WithLinkedDocuments(documents), c.tpAmb), c.protocol);
      int pages = Pages(pdf);
      EXPECT_EQ(pages > 1, documents > 2);
      for (int page = 1; page <= pages; ++page) {
        std::string text = WithoutBlanks(PageText(pdf, page, "-raw"));
        const bool homologation = std::string(c.tpAmb) == "2";
        EXPECT_EQ(Occurrences(text, "DOCUMENTOEMITIDOEMAMBIENTEDEHOMOLOGAÇÃO-SEMVALORFISCAL"), homologation ? 1u : 0u)
            << page;
        EXPECT_EQ(Occurrences(text, "SEMVALORFISCAL"), (c.marked ? 1u : 0u) + (homologation ? 1u : 0u)) << page;
        bool unauthorised = std::string(c.tpAmb) == "1" && !*c.protocol;
        EXPECT_EQ(Occurrences(text, "MDF-eSEMAUTORIZAÇÃODEUSODASEFAZ"), unauthorised ? 1u : 0u) << page;
      }
    }
  }
}

// Empty blocks are left out and take no space: the linked documents move up.
TEST_P(CompleteDamdfe, ManifestWithoutOptionalBlocksPrintsOneSheet) {
  std::filesystem::path pdf = Print(MinimalManifest());
  ASSERT_EQ(Pages(pdf), 1);
  for (const PrintedWord& word : PrintedWords(pdf)) {
    EXPECT_TRUE(word.text != "CIOT" && word.text != "VALE-PEDÁGIO" && word.text != "SEGURO" &&
                word.text != "CONTRATANTES" && word.text != "CONDUTORES" && word.text != "OBSERVAÇÕES")
        << word.text;
    if (word.text == "DOCUMENTOS") {
      EXPECT_LT(word.top, 440.0);  // points; below the stacked blocks, not at 692
    }
  }
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
    // The sheet shows CPF, CNPJ and amounts masked: only letters and digits are compared.
    auto lettersAndDigits = [](std::string text) {
      std::erase_if(text, [](unsigned char c) { return c < 0x80 && !std::isalnum(c); });
      return text;
    };
    std::string text = lettersAndDigits(PageText(pdf, 1, "-raw"));
    static const std::set<std::string> listed = {
        "condutores", "veiculos", "seguros",     "documentos",    "ciot",       "contratantes", "vale_pedagio", "RNTRC",
        "UFFim",      "lacres",   "lacres_rodo", "proprietarios", "pagamentos", "prod_xProd",   "prod_NCM",
        "unidades",   "perigosos"};
    for (const auto& [name, value] : supplementary.settings) {
      if (!listed.count(name)) continue;
      for (const std::string& cell : Cells(value))
        EXPECT_NE(text.find(lettersAndDigits(cell)), std::string::npos) << name << ": " << cell;
    }
  }
}

// What the manifest holds beyond the fixed settings, in the templates' display formats.
TEST_P(CompleteDamdfe, ProductPaymentSealsJourneyAndOwnerAsTheXmlSays) {
  std::string xml = SampleManifest();
  xml = ReplaceElement(xml, "infContratante",
                       "<infContratante><CNPJ>44555666000172</CNPJ></infContratante><infPag><xNome>TRANSPORTADORA "
                       "PARCEIRA LTDA</xNome><CNPJ>11222333000181</CNPJ><Comp><tpComp>01</tpComp><vComp>8500.00</vComp>"
                       "</Comp><vContrato>8500.00</vContrato><indPag>1</indPag><infPrazo><nParcela>001</nParcela>"
                       "<dVenc>2027-01-31</dVenc><vParcela>4250.00</vParcela></infPrazo><infBanc><PIX>x</PIX>"
                       "</infBanc></infPag>");
  xml = ReplaceElement(xml, "veicReboque",
                       "<veicReboque><placa>XYZ9E87</placa><RENAVAM>01122334455</RENAVAM><tara>7200</tara><prop>"
                       "<CPF>11144477735</CPF><RNTRC>99887766</RNTRC><xNome>PROPRIETÁRIO TERCEIRO DA SILVA</xNome>"
                       "<IE>ISENTO</IE><UF>SP</UF><tpProp>0</tpProp></prop><tpCar>02</tpCar><UF>SP</UF></veicReboque>"
                       "<lacRodo><nLacre>LR-777</nLacre></lacRodo>");
  std::string text = WithoutBlanks(PageText(Print(xml), 1, "-raw"));
  for (const char* expected : {"CNPJ/CPF:12.345.678/0001-95",
                               "CEP:04578-000",
                               "07/12/202608:30:00",
                               "1-Normal",
                               "158.430,75",
                               "18.250,5000KG",
                               "05-Cargageral",
                               "PEÇASAUTOMOTIVAS",
                               "87089990",
                               "TRANSPORTADORAPARCEIRALTDA",
                               "11.222.333/0001-81",
                               "8.500,00",
                               "aprazo",
                               "31/01/2027",
                               "4.250,00",
                               "000123",
                               "LR-777",
                               "07/12/202610:00:00",
                               "PROPRIETÁRIOTERCEIRODASILVA",
                               "111.444.777-35",
                               "99887766",
                               "QTD.MDF-e0"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
}

// A manifest issued in contingency says so in the protocol's place, whichever type was
// chosen; MDF-e has no second barcode.
TEST_P(CompleteDamdfe, ContingencyEmissionFollowsTheXml) {
  std::string xml = ReplaceElement(SampleManifest(), "tpEmis", "<tpEmis>2</tpEmis>");
  std::filesystem::path file = dir_.Write("contingencia.xml", xml);
  for (int type : {0, 1, 2}) {
    SCOPED_TRACE(type);
    std::filesystem::path pdf = dir_ / ("contingencia" + std::to_string(type) + ".pdf");
    ASSERT_EQ(PrintDAMDFE({file.string(), "", ContingencyTextFor(type), "", GetParam(), {}},
                          rv::PdfFile{QString::fromStdString(pdf.string())}, DAMDFE_BIN_DIR),
              "");
    std::string text = WithoutBlanks(PageText(pdf, 1, "-raw"));
    EXPECT_NE(text.find("EMISSÃOEMCONTINGÊNCIA.Obrigatóriaaautorizaçãoem168horasapósestaemissão(07/12/202608:30)"),
              std::string::npos);
    EXPECT_NE(text.find("2-Contingência"), std::string::npos);
    EXPECT_EQ(text.find("DPEC"), std::string::npos);
    TempDir scans;
    std::vector<std::string> codes = PdfBarcodes(pdf, scans.path());
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "35261212345678000195580010000012341876543210"), 1);
    EXPECT_EQ(codes.size(), 2u);  // the key and the QR code
  }
}

// Long real names wrap instead of shrinking: no glyph below 5 pt, and below 6 pt only the
// bold captions.
TEST_P(CompleteDamdfe, LongNamesStayLegible) {
  const std::string name60 = "COOPERATIVA AGROINDUSTRIAL DOS PRODUTORES DO OESTE PARANAENS";
  const std::string averbacao = "1234567890123456789012345678901234567890";
  std::string xml = SampleManifest();
  xml = ReplaceElement(xml, "xMunDescarga", "<xMunDescarga>MARECHAL CANDIDO RONDON</xMunDescarga>");
  xml = ReplaceElement(xml, "xMunCarrega", "<xMunCarrega>Vila Bela da Santíssima Trindade</xMunCarrega>");
  xml = ReplaceElement(xml, "infContratante",
                       "<infContratante><xNome>" + name60 + "</xNome><CNPJ>44555666000172</CNPJ></infContratante>");
  xml = ReplaceElement(xml, "nAver", "<nAver>" + averbacao + "</nAver>");
  xml = ReplaceElement(xml, "xNome", "<xNome>" + name60 + "</xNome>");
  std::filesystem::path pdf = Print(xml, "135260000012345");
  std::string text = WithoutBlanks(PageText(pdf, 1, "-raw"));
  for (const std::string& value :
       {name60, averbacao, std::string("MARECHAL CANDIDO RONDON"), std::string("Vila Bela da Santíssima Trindade")}) {
    EXPECT_NE(text.find(WithoutBlanks(value)), std::string::npos) << value;
  }
  // Each glyph's size and whether its font is bold, as pdfminer reads them.
  const char* script = R"(import sys
from pdfminer.high_level import extract_pages
from pdfminer.layout import LTChar
def walk(o):
    if isinstance(o, LTChar):
        if o.get_text().strip(): print(round(o.size, 2), int('Bold' in o.fontname))
    elif hasattr(o, '__iter__'):
        for c in o: walk(c)
for page in extract_pages(sys.argv[1]): walk(page)
)";
  // Debian's interpreter, which has python3-pdfminer.
  ToolResult glyphs = RunTool("/usr/bin/python3", {"-c", script, pdf.string()});
  ASSERT_EQ(glyphs.exitCode, 0) << glyphs.err;
  std::istringstream lines(glyphs.out);
  double smallest = 100, smallestPlain = 100;
  for (double size; lines >> size;) {
    int bold = 0;
    lines >> bold;
    smallest = std::min(smallest, size);
    if (!bold) smallestPlain = std::min(smallestPlain, size);
  }
  EXPECT_GE(smallest, 5.0);
  EXPECT_GE(smallestPlain, 6.0);
}

// Each modal's block under its heading, every value of the manifest in it, and none of the road's rows.
// A value of one word must be a printed word; longer ones are compared without blanks.
TEST_P(CompleteDamdfe, EveryModalShowsItsOwnBlockWhole) {
  const struct {
    const char* file;
    const char* heading;
    std::vector<std::string> values;
  } manifests[] = {
      {"MDFe_aereo_exemplo.xml", "Modal Aéreo", {"PR", "AJB", "XA4521", "GRU", "MAO", "10/12/2026"}},
      {"MDFe_aquaviario_exemplo.xml",
       "Modal Aquaviário",
       {"PP7321", "04", "0017425", "EMPURRADOR RIO NEGRO I", "20261207", "BRMAO", "BRSTM", "PORTO DE ITACOATIARA",
        "Interior", "MAO00011", "TERMINAL PORTUÁRIO CHIBATÃO", "MAO00027", "TERMINAL SUPER TERMINAIS", "STM00003",
        "TERMINAL DE USO PRIVADO DE SANTARÉM", "0017431", "BALSA AMAZONAS 01", "0017432", "BALSA AMAZONAS 02",
        "0017440", "BALSA TAPAJÓS 07", "MSKU4402187", "Container", "QZT4E21", "Rodoviário Reboque", "710004521"}},
      {"MDFe_aquaviario_minimo.xml",
       "Modal Aquaviário",
       {"PP7321", "04", "0017425", "EMPURRADOR RIO NEGRO I", "20261207", "BRMAO", "BRSTM"}},
      {"MDFe_ferroviario_exemplo.xml",
       "Modal Ferroviário",
       {"G45PMG", "09/12/2026 06:45:00", "LMG", "DPG", "120", "HFE", "98,000", "97,450", "96,50", "6543763", "98,529",
        "VAGÕES (continuação)"}},
      {"MDFe_ferroviario_minimo.xml", "Modal Ferroviário", {"G45PMG", "LMG", "DPG", "6543210", "98,000", "97,450"}},
  };
  for (const auto& m : manifests) {
    SCOPED_TRACE(m.file);
    const std::string xml = ReadFileBytes(std::filesystem::path(DAMDFE_SOURCE_DIR "/samples") / m.file);
    const std::filesystem::path pdf = PrintFile(std::filesystem::path(DAMDFE_SOURCE_DIR "/samples") / m.file);
    std::multiset<std::string> words;
    for (const PrintedWord& word : PrintedWords(pdf)) words.insert(word.text);
    std::string text;
    for (int page = 1; page <= Pages(pdf); ++page) text += WithoutBlanks(PageText(pdf, page));
    EXPECT_EQ(Occurrences(text, WithoutBlanks(m.heading)), 1u);
    for (const std::string& value : m.values) {
      EXPECT_TRUE(value.find(' ') == std::string::npos ? words.count(value) > 0
                                                        : text.find(WithoutBlanks(value)) != std::string::npos)
          << value;
    }
    for (const char* road : {"ModalRodoviário", "PLACADOVEÍCULO", "VEÍCULOS"}) {
      EXPECT_EQ(text.find(road), std::string::npos) << road;
    }
    // Every wagon once, whatever sheet it continues on.
    const std::regex wagon("<nVag>(\\d+)</nVag>");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), wagon); it != std::sregex_iterator(); ++it) {
      EXPECT_EQ(words.count((*it)[1]), 1u) << (*it)[1];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothFormats, CompleteDamdfe, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? "Retrato" : "Paisagem";
                         });

}  // namespace
