// Table columns that wrap their cells: rows grow by whole lines and flow onto
// continuation sheets at the cell font's size, nothing cut, nothing overlapping.
// And where a line of text stands in its box.

#include "ReportTestSupport.h"

#include <QRectF>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

struct Word {
  QString text;
  QRectF box;  // points
  int page = 0;
};

// Every word pdftotext finds, page by page, in drawing order.
std::vector<Word> wordsOf(const RenderedReport& report) {
  const QString html =
      runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), report.pdfPath(), QStringLiteral("-")});
  static const QRegularExpression tag(QStringLiteral(
      R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
  std::vector<Word> words;
  int page = 0;
  for (auto match = tag.globalMatch(html); match.hasNext();) {
    const QRegularExpressionMatch m = match.next();
    if (m.captured(0).startsWith(QLatin1String("<page"))) {
      ++page;
      continue;
    }
    const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
    const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
    words.push_back({m.captured(5), QRectF(topLeft, bottomRight), page});
  }
  return words;
}

void expectNoOverlap(const std::vector<Word>& words) {
  for (size_t i = 0; i < words.size(); ++i) {
    for (size_t j = i + 1; j < words.size(); ++j) {
      if (words[i].page != words[j].page) continue;
      const QRectF common = words[i].box.adjusted(0.3, 0.3, -0.3, -0.3) & words[j].box.adjusted(0.3, 0.3, -0.3, -0.3);
      EXPECT_TRUE(common.isEmpty()) << words[i].text.toStdString() << " overlaps " << words[j].text.toStdString()
                                    << " on sheet " << words[i].page;
    }
  }
}

// Margins 10 mm. Observations: one 60 mm wrapped column, 5 lines on the first
// sheet, then three columns side by side in a box they share with another table.
const QByteArray kNotes = R"({"reports": [{"name": "Report1", "page": {"margins": 10}, "items": [
    {"kind": "text", "x": 0, "y": 0, "width": 190, "height": 6, "repeat": true, "text": "FOLHA {pagina}/{paginas}"},
    {"kind": "table", "x": 0, "y": 200, "width": 60, "height": 17.5, "rows": "{notas}", "rowHeight": 3.5,
     "headerHeight": 0, "size": 8, "grid": false,
     "columns": [{"header": "", "continuationHeader": "CONTINUA", "width": 60, "wrap": true}],
     "continuation": {"x": 0, "y": 20, "width": 190, "height": 100, "across": 3, "headerHeight": 4}},
    {"kind": "table", "x": 100, "y": 200, "width": 60, "height": 20, "rows": "{outra}",
     "columns": [{"header": "OUTRA", "width": 60}],
     "continuation": {"x": 0, "y": 20, "width": 190, "height": 100, "across": 3, "headerHeight": 4}}
]}]})";

QString wordsFrom(int first, int count) {
  QStringList words;
  for (int i = first; i < first + count; ++i) words << QStringLiteral("pal%1").arg(i, 4, 10, QLatin1Char('0'));
  return words.join(QLatin1Char(' '));
}

bool isNoteWord(const Word& word) {
  return !word.text.startsWith(QLatin1String("FOLHA")) && !word.text.contains(QLatin1Char('/')) &&
         word.text != QLatin1String("CONTINUA") && word.text != QLatin1String("OUTRA") &&
         !word.text.startsWith(QLatin1String("OUT"));
}

TEST(WrappedTable, ParagraphsFlowWholeAtTheirSizeIntoTheirColumns) {
  const QString longWord = QStringLiteral("abcdefghij").repeated(40);
  struct Case {
    const char* what;
    QString notes;
    bool continues;  // beyond the first sheet's five lines
  };
  const std::vector<Case> cases = {
      {"none", QString(), false},
      {"one short paragraph", wordsFrom(0, 5), false},
      {"three paragraphs that fit", wordsFrom(0, 3) + u'\n' + wordsFrom(3, 3) + u'\n' + wordsFrom(6, 3), false},
      {"one long paragraph", wordsFrom(0, 700), true},
      {"many paragraphs", wordsFrom(0, 300) + QStringLiteral("\n\n") + wordsFrom(300, 300), true},
      {"a word wider than the column", longWord, true},
  };
  // The other table always continues, on the second sheet.
  QString others;
  for (int i = 0; i < 30; ++i) others += QStringLiteral("OUT%1\n").arg(i, 2, 10, QLatin1Char('0'));

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RenderedReport report;
    report.render(report.writeTemplate(kNotes), {{"notas", c.notes.toStdString()}, {"outra", others.toStdString()}});
    const int sheets = report.pageCount();
    ASSERT_GE(sheets, 2);
    const std::vector<Word> words = wordsOf(report);
    expectNoOverlap(words);

    QStringList printed;
    std::set<int> notePages;
    for (const Word& word : words) {
      if (!isNoteWord(word)) continue;
      printed << word.text;
      notePages.insert(word.page);
      SCOPED_TRACE(word.text.toStdString());
      EXPECT_GT(word.box.height(), 8 * 1.13);  // an 8 pt line, not shrunk
      // Inside the first box, or inside one of the three continuation columns.
      const double left = word.box.left() / kPointsPerMm - 10;
      const double right = word.box.right() / kPointsPerMm - 10;
      const int column = word.page == 1 ? 0 : static_cast<int>(left / 62);
      EXPECT_GE(left, column * 62 + 0.7);
      EXPECT_LE(right, column * 62 + 60 - 0.7);
      if (word.page == 1) {
        EXPECT_GE(word.box.top() / kPointsPerMm - 10, 199.9);
      }
    }
    const QString expected = QString(c.notes).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified();
    if (c.notes == longWord) {
      EXPECT_EQ(printed.join(QString()), longWord);  // broken between letters, nothing lost
    } else {
      EXPECT_EQ(printed.join(QLatin1Char(' ')), expected);
    }

    EXPECT_EQ(!notePages.empty() && *notePages.rbegin() > 1, c.continues);
    for (int page = 1; page <= sheets; ++page) {
      const QString text = report.pageText(page);
      EXPECT_TRUE(text.contains(QStringLiteral("FOLHA %1/%2").arg(page).arg(sheets))) << page;
      EXPECT_EQ(text.contains(QStringLiteral("CONTINUA")), page > 1 && notePages.contains(page)) << page;
    }
  }
}

// A row is as many rowHeights high as its longest wrapped cell has lines; the
// cell that does not wrap stands on its first line.
TEST(WrappedTable, RowGrowsByWholeLines) {
  const QByteArray twoColumns = R"({"reports": [{"name": "Report1", "page": {"margins": 10}, "items": [
      {"kind": "table", "x": 0, "y": 20, "width": 100, "height": 100, "rows": "{r}", "rowHeight": 4, "size": 8,
       "columns": [{"header": "CHAVE", "width": 20}, {"header": "TEXTO", "width": 50, "wrap": true},
                   {"header": "FIM", "width": 20}]}]}]})";
  for (int count : {1, 12, 40}) {
    SCOPED_TRACE(count);
    RenderedReport report;
    report.render(report.writeTemplate(twoColumns),
                  {{"r", ("K1\t" + wordsFrom(0, count) + "\tZ1\nK2\tcurto\tZ2\n").toStdString()}});
    ASSERT_EQ(report.pageCount(), 1);
    std::map<QString, QRectF> at;
    std::set<double> lineTops;
    for (const Word& word : wordsOf(report)) {
      at[word.text] = word.box;
      if (word.text.startsWith(QLatin1String("pal"))) lineTops.insert(std::round(word.box.top() * 10) / 10);
    }
    const double lines = static_cast<double>(lineTops.size());
    EXPECT_EQ(lines > 1, count > 5);
    EXPECT_NEAR(at[QStringLiteral("K2")].top() - at[QStringLiteral("K1")].top(), lines * 4 * kPointsPerMm, 0.2);
    EXPECT_NEAR(at[QStringLiteral("Z1")].top(), at[QStringLiteral("K1")].top(), 0.2);
    EXPECT_NEAR(at[QStringLiteral("pal0000")].top(), at[QStringLiteral("K1")].top(), 0.2);
  }
}

// Texts and cells that fit are laid out once and placed by their alignment.
TEST(TextPlacement, AlignmentInBoxesAndCells) {
  struct Case {
    const char* align;
    const char* valign;
    double expectedX;  // mm from the box's left: of the text's left, centre or right
    const char* edge;
  };
  const std::vector<Case> cases = {
      {"left", "top", 0, "left"},    {"center", "middle", 50, "centre"}, {"right", "bottom", 100, "right"},
      {"justify", "top", 0, "left"}, {"right", "middle", 100, "right"},
  };
  QByteArray items;
  for (size_t i = 0; i < cases.size(); ++i) {
    items += QStringLiteral(R"({"kind": "text", "x": 0, "y": %1, "width": 100, "height": 12, "size": 10,
        "text": "ALVO%2", "align": "%3", "valign": "%4", "shrink": true},)")
                 .arg(i * 20)
                 .arg(i)
                 .arg(QLatin1String(cases[i].align), QLatin1String(cases[i].valign))
                 .toUtf8();
  }
  items += R"({"kind": "table", "x": 0, "y": 120, "width": 120, "height": 20, "rows": "{r}", "rowHeight": 5,
      "columns": [{"header": "E", "width": 40}, {"header": "C", "width": 40, "align": "center"},
                  {"header": "D", "width": 40, "align": "right"}]})";
  RenderedReport report;
  report.render(
      report.writeTemplate(R"({"reports": [{"name": "Report1", "page": {"margins": 10}, "items": [)" + items + "]}]}"),
      {{"r", "CEL0\tCEL1\tCEL2\n"}});
  std::map<QString, QRectF> at;
  for (const Word& word : wordsOf(report)) at[word.text] = word.box;

  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(std::string(c.align) + " " + c.valign);
    const QRectF box = at[QStringLiteral("ALVO%1").arg(i)];
    ASSERT_FALSE(box.isNull());
    const double x = std::string(c.edge) == "left"    ? box.left()
                     : std::string(c.edge) == "right" ? box.right()
                                                      : box.center().x();
    EXPECT_NEAR(x / kPointsPerMm - 10, c.expectedX, 0.15);
    const double top = 10 + i * 20.0;
    const double y = std::string(c.valign) == "top"      ? box.top()
                     : std::string(c.valign) == "bottom" ? box.bottom()
                                                         : box.center().y();
    const double expectedY = std::string(c.valign) == "top"      ? top
                             : std::string(c.valign) == "bottom" ? top + 12
                                                                 : top + 6;
    EXPECT_NEAR(y / kPointsPerMm, expectedY, 0.6);
  }
  // Cells keep 0.8 mm from their frame.
  EXPECT_NEAR(at[QStringLiteral("CEL0")].left() / kPointsPerMm - 10, 0.8, 0.15);
  EXPECT_NEAR(at[QStringLiteral("CEL1")].center().x() / kPointsPerMm - 10, 60, 0.15);
  EXPECT_NEAR(at[QStringLiteral("CEL2")].right() / kPointsPerMm - 10, 120 - 0.8, 0.15);
  EXPECT_NEAR(at[QStringLiteral("CEL0")].center().y() / kPointsPerMm - 10, 120 + 5 + 2.5, 0.6);
}

}  // namespace
