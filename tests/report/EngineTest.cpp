// The engine on small templates of its own: parameters, conditions, pictures,
// barcodes and the outputs.

#include "ReportOutput.h"
#include "ReportTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace {

QByteArray singleReport(const QByteArray& items, const QByteArray& extra = {}) {
  return R"({"reports": [{"name": "Report1", "title": "Teste {n}", )" + extra +
         R"("page": {"margins": 10}, "items": [)" + items + "]}]}";
}

TEST(Parameters, PlaceholdersLaterValuesAndUnsetNames) {
  RenderedReport report;
  const QString path = report.writeTemplate(singleReport(
      R"({"kind": "text", "x": 0, "y": 0, "width": 180, "height": 10, "text": "<{a}|{b}|{nobody}|{{a}}|ç>"})"));
  report.render(path, {{"a", "primeiro"}, {"b", "São Paulo"}, {"a", "último"}});
  EXPECT_TRUE(report.text().contains(QStringLiteral("<último|São Paulo||{a}|ç>"))) << report.text().toStdString();
  EXPECT_EQ(report.pdfTitle(), QStringLiteral("Teste"));
}

TEST(Text, ReadsBackLetterForLetterWithoutLigatures) {
  RenderedReport report;
  const QString path = report.writeTemplate(
      singleReport(R"({"kind": "text", "x": 0, "y": 0, "width": 180, "height": 10, "text": "{t}"})"));
  report.render(path, {{"t", "ofício fiscal fluxo final"}});
  EXPECT_TRUE(report.text().contains(QStringLiteral("ofício fiscal fluxo final"))) << report.text().toStdString();
}

// A size prints at Qt's own rounding of it to whole pixels of the PDF's 600 dpi (0.12 pt), on one
// line, wrapped, bold or shrunk to fit.
TEST(Text, EverySizePrintsAtItsWholeDevicePixels) {
  RenderedReport report;
  report.render(report.writeTemplate(singleReport(R"(
      {"kind": "text", "x": 0, "y": 0, "width": 100, "height": 10, "size": 5.5, "text": "AAA"},
      {"kind": "text", "x": 0, "y": 20, "width": 100, "height": 20, "size": 7.5, "wrap": true, "text": "BBB BBB"},
      {"kind": "text", "x": 0, "y": 50, "width": 100, "height": 10, "size": 10.5, "bold": true, "text": "CCC"},
      {"kind": "text", "x": 0, "y": 70, "width": 12, "height": 10, "size": 10.5, "minSize": 3, "shrink": true,
       "text": "DDDDDD"})")),
                {});
  const char* script = R"(import sys
from pdfminer.high_level import extract_pages
from pdfminer.layout import LTChar
def walk(o):
    if isinstance(o, LTChar): print(o.get_text(), round(o.size, 3))
    elif hasattr(o, '__iter__'):
        for c in o: walk(c)
for page in extract_pages(sys.argv[1]): walk(page)
)";
  std::map<QString, std::set<double>> sizes;
  const QStringList lines =
      runTool(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), report.pdfPath()})
          .split(u'\n', Qt::SkipEmptyParts);
  for (const QString& line : lines) sizes[line.section(u' ', 0, 0)].insert(line.section(u' ', 1, 1).toDouble());
  EXPECT_EQ(sizes[QStringLiteral("A")], std::set<double>{5.52});   // 45.8 px
  EXPECT_EQ(sizes[QStringLiteral("B")], std::set<double>{7.56});   // 62.5 px
  EXPECT_EQ(sizes[QStringLiteral("C")], std::set<double>{10.56});  // 87.5 px
  ASSERT_EQ(sizes[QStringLiteral("D")].size(), 1u);
  const double shrunk = *sizes[QStringLiteral("D")].begin();
  EXPECT_LT(shrunk, 10.5 * 0.92);
  EXPECT_NEAR(shrunk / 0.12, std::round(shrunk / 0.12), 0.01);
}

TEST(Parameters, GetParamReadsTheLastValueAndEmptyForUnset) {
  TRvProject project;
  project.SetParam("Serie", "1");
  project.SetParam("Serie", "2");
  EXPECT_EQ(project.GetParam("Serie"), "2");
  EXPECT_EQ(project.GetParam("serie"), "");
  project.SetProjectFile(QStringLiteral("x.rav"));
  EXPECT_EQ(project.ProjectFile(), QStringLiteral("x.rav"));
}

TEST(Conditions, WhenAndUnlessOnItemsAndGroups) {
  struct Case {
    const char* a;
    const char* b;
    std::vector<const char*> shown;
  };
  const std::vector<Case> cases = {
      {"", "", {"SEM-A"}},
      {"x", "", {"COM-A", "GRUPO-A"}},
      {"x", "y", {"COM-A"}},
      {"", "y", {"SEM-A"}},
  };
  RenderedReport report;
  const QString path = report.writeTemplate(singleReport(R"(
        {"kind": "text", "y": 0, "width": 50, "height": 6, "text": "COM-A", "when": "a"},
        {"kind": "text", "y": 10, "width": 50, "height": 6, "text": "SEM-A", "unless": "a"},
        {"kind": "group", "y": 20, "when": "a", "unless": "b", "items": [
            {"kind": "text", "width": 50, "height": 6, "text": "GRUPO-A"}]})"));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("a=") + c.a + " b=" + c.b);
    report.render(path, {{"a", c.a}, {"b", c.b}});
    const QString text = report.text();
    for (const char* word : {"COM-A", "SEM-A", "GRUPO-A"}) {
      const bool expected = std::find_if(c.shown.begin(), c.shown.end(), [word](const char* shown) {
                              return std::string_view(shown) == word;
                            }) != c.shown.end();
      EXPECT_EQ(text.contains(QLatin1String(word)), expected) << word;
    }
  }
}

TEST(Barcodes, Code128ReadsBackAndEmptyDrawsNothing) {
  RenderedReport report;
  const QString path = report.writeTemplate(
      singleReport(R"({"kind": "barcode", "x": 20, "y": 20, "width": 120, "height": 15, "value": "{code}"})"));
  for (const char* value : {"0123456789012345678901234567890123456789ABCD", "43200DV", "x"}) {
    SCOPED_TRACE(value);
    report.render(path, {{"code", value}});
    EXPECT_EQ(report.barcodes(), QStringList{QString::fromLatin1(value)});
  }
  report.render(path, {{"code", ""}});
  EXPECT_TRUE(report.barcodes().isEmpty());
}

class Pictures : public testing::Test {
 protected:
  // The colour in the middle of the picture's box on a 50 dpi page image.
  QColor centreAfterRendering(const QString& picturePath) {
    const QString path = folder.writeTemplate(
        singleReport(R"({"kind": "image", "x": 40, "y": 40, "width": 40, "height": 20, "source": "{pFoto}"})"));
    const QString pages = folder.dir() + QStringLiteral("/pages");
    TRvProject project;
    project.SetProjectFile(path);
    project.SetOutput(rv::PngPages{pages, 50});
    project.SetParam("pFoto", picturePath.toStdString());
    project.ExecuteReport("Report1");
    const QImage page(pages + QStringLiteral("/page-1.png"));
    EXPECT_EQ(page.size(), QSize(413, 585));  // A4 at 50 dpi
    const double perMm = 50 / 25.4;
    return page.pixelColor(qRound(70 * perMm), qRound(60 * perMm));  // margins included
  }

  RenderedReport folder;
};

// A picture that cannot be read is an error naming it, never a silent gap.
TEST_F(Pictures, KnownFormatsDrawAndBrokenOnesAreErrors) {
  QImage red(30, 10, QImage::Format_RGB32);
  red.fill(Qt::red);
  struct Case {
    const char* file;
    const char* format;  // nullptr: raw garbage bytes
    bool drawn;
  };
  for (const Case& c : {Case{"logo.png", "PNG", true}, Case{"logo.bmp", "BMP", true}, Case{"logo.jpg", "JPEG", true},
                        Case{"fake.png", nullptr, false}, Case{"absent.png", "", false}}) {
    SCOPED_TRACE(c.file);
    const QString picture = folder.dir() + QLatin1Char('/') + QLatin1String(c.file);
    if (!c.format) {
      folder.writeTemplate(QByteArray("\x89PNG\r\n\x1a\n not really", 20), QLatin1String(c.file));
    } else if (*c.format) {
      ASSERT_TRUE(red.save(picture, c.format));
    }
    if (!c.drawn) {
      EXPECT_THAT([&] { centreAfterRendering(picture); },
                  testing::ThrowsMessage<ERvProjectError>(
                      testing::HasSubstr("Não foi possível ler a imagem \"" + picture.toStdString())));
      continue;
    }
    const QColor centre = centreAfterRendering(picture);
    EXPECT_GT(centre.red(), 200) << centre.name().toStdString();
    EXPECT_LT(centre.green(), 60) << centre.name().toStdString();
  }
}

TEST(Outputs, PngPagesAndPdfInMemoryShowTheSamePage) {
  RenderedReport folder;
  const QString landscape = folder.writeTemplate(
      R"({"reports": [{"name": "Report1", "page": {"orientation": "landscape", "margins": 0}, "items": [
             {"kind": "text", "x": 10, "y": 10, "width": 120, "height": 20, "size": 40, "color": "white",
              "text": "ENCOBERTO"},
             {"kind": "rect", "width": 148.5, "height": 105, "fill": "black"}]}]})",
      QStringLiteral("landscape.rav"));

  TRvProject project;
  project.SetProjectFile(landscape);
  project.SetOutput(rv::PngPages{folder.dir() + QStringLiteral("/png"), 40});
  project.ExecuteReport("Report1");
  const QImage page(folder.dir() + QStringLiteral("/png/page-1.png"));
  ASSERT_EQ(page.size(), QSize(468, 331));
  EXPECT_EQ(page.pixelColor(100, 100), QColor(Qt::black));  // top-left quarter filled
  EXPECT_EQ(page.pixelColor(400, 300), QColor(Qt::white));
  // Items are drawn in their order: the text drawn first stays under the fill drawn after it.
  int shown = 0;
  for (int y = 16; y < 47; ++y) {
    for (int x = 16; x < 204; ++x) shown += page.pixelColor(x, y) != QColor(Qt::black);
  }
  EXPECT_EQ(shown, 0);

  const rv::PdfInMemory memory;
  project.SetOutput(memory);
  project.ExecuteReport("Report1");
  EXPECT_TRUE(memory.bytes->startsWith("%PDF"));
}

TEST(Outputs, UnwritablePdfIsAnError) {
  RenderedReport folder;
  const QString path = folder.writeTemplate(singleReport(""));
  const QString target = folder.dir() + QStringLiteral("/no/such/dir/out.pdf");
  EXPECT_THAT([&] { runReport(path, "Report1", rv::PdfFile{target}); },
              testing::ThrowsMessage<ERvProjectError>(testing::HasSubstr(
                  "Não foi possível gravar \"" + target.toStdString() + "\": arquivo ou pasta não encontrado")));
}

// Closed without printing: not reported as printed.
TEST(Outputs, PrintPreviewClosedWithoutPrintingIsAnError) {
  RenderedReport folder;
  const QString path =
      folder.writeTemplate(singleReport(R"({"kind": "text", "width": 50, "height": 6, "text": "{n}"})"));
  bool closed = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      closed = true;
      dialog->reject();
    }
  });
  poll.start(50);
  QTimer::singleShot(20000, [] {  // a failing test must not hang
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  TRvProject project;
  project.SetProjectFile(path);
  project.SetParam("n", "1");
  EXPECT_THROW(project.ExecuteReport("Report1"), ERvProjectError);
  EXPECT_TRUE(closed);
}

TEST(Outputs, AbsentPrinterIsAnError) {
  RenderedReport folder;
  const QString path = folder.writeTemplate(singleReport(""));
  EXPECT_THAT([&] { runReport(path, "Report1", rv::Printer{QStringLiteral("Impressora Que Não Existe")}); },
              FailsWith<ERvProjectError>("Impressora \"Impressora Que Não Existe\" não encontrada."));
}

}  // namespace
