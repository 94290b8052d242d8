// Tables that continue onto further sheets, sheet counters, QR codes and marks.

#include "ReportTestSupport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <set>

namespace {

QString withoutBlanks(QString text) { return text.remove(QRegularExpression(QStringLiteral("\\s"))); }

// A4 portrait with 10 mm margins: a 20-row first box and a 60-row continuation.
const QByteArray kFlowingTable = R"({"reports": [{"name": "Report1", "page": {"margins": 10}, "items": [
    {"kind": "text", "x": 0, "y": 0, "width": 120, "height": 6, "repeat": true, "text": "CABECALHO"},
    {"kind": "text", "x": 130, "y": 0, "width": 60, "height": 6, "repeat": true,
     "text": "FOLHA[{folha_1}]", "textOnSeveralSheets": "FOLHA[{pagina} / {paginas}]"},
    {"kind": "text", "x": 0, "y": 8, "width": 120, "height": 6, "text": "SO-NA-PRIMEIRA"},
    {"kind": "table", "x": 0, "y": 186, "width": 190, "height": 84, "rows": "{chaves}",
     "rowHeight": 4, "headerHeight": 4, "across": 2, "gap": 4, "size": 7,
     "continuation": {"x": 0, "y": 20, "width": 190, "height": 124},
     "columns": [{"header": "CHAVE", "width": 70}, {"header": "N", "width": 23, "align": "right"}]},
    {"kind": "text", "x": 0, "y": 272, "width": 190, "height": 5, "text": "RODAPE {pagina}", "repeat": true}
]}]})";

QString rowsOf(int count) {
  QString rows;
  for (int i = 0; i < count; ++i) rows += QStringLiteral("K%1\t%2\n").arg(i, 5, 10, QLatin1Char('0')).arg(i);
  return rows;
}

TEST(FlowingTable, EveryRowOnceAndEverySheetNumbered) {
  struct Case {
    int rows;
    int sheets;
  };
  // First sheet: (84 - 4) / 4 = 20 rows per column block, 2 blocks; later sheets 30 x 2.
  for (const Case c : {Case{0, 1}, Case{40, 1}, Case{41, 2}, Case{100, 2}, Case{101, 3}, Case{2500, 42}}) {
    SCOPED_TRACE(c.rows);
    RenderedReport report;
    report.render(report.writeTemplate(kFlowingTable),
                  {{"folha_1", "1 / 1"}, {"chaves", rowsOf(c.rows).toStdString()}});
    ASSERT_EQ(report.pageCount(), c.sheets);

    std::multiset<QString> seen;
    const QRegularExpression key(QStringLiteral("K\\d{5}"));
    for (int page = 1; page <= c.sheets; ++page) {
      const QString text = withoutBlanks(report.pageText(page));
      const QString folha = c.sheets == 1 ? QStringLiteral("1/1") : QStringLiteral("%1/%2").arg(page).arg(c.sheets);
      EXPECT_TRUE(text.contains(QStringLiteral("FOLHA[") + folha + QLatin1Char(']'))) << page;
      EXPECT_TRUE(text.contains(QStringLiteral("CABECALHO"))) << page;
      EXPECT_TRUE(text.contains(QStringLiteral("RODAPE%1").arg(page))) << page;
      EXPECT_EQ(text.contains(QStringLiteral("SO-NA-PRIMEIRA")), page == 1) << page;
      EXPECT_TRUE(text.contains(QStringLiteral("CHAVEN"))) << page;  // the header row
      for (auto match = key.globalMatch(text); match.hasNext();) seen.insert(match.next().captured());
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(c.rows));
    EXPECT_EQ(std::set<QString>(seen.begin(), seen.end()).size(), static_cast<size_t>(c.rows));
  }
}

// Two tables continue into one shared box: the second starts below the first,
// or on the next sheet when the first fills it.
TEST(FlowingTable, TablesSharingAContinuationBoxFollowEachOther) {
  const QByteArray shared = R"({"reports": [{"name": "Report1", "page": {"margins": 10}, "items": [
        {"kind": "table", "x": 0, "y": 20, "width": 60, "height": 24, "rows": "{a}",
         "continuation": {"x": 0, "y": 20, "width": 100, "height": 100}, "columns": [{"header": "TA", "width": 60}]},
        {"kind": "table", "x": 0, "y": 50, "width": 60, "height": 24, "rows": "{b}",
         "continuation": {"x": 0, "y": 20, "width": 100, "height": 100}, "columns": [{"header": "TB", "width": 60}]}
    ]}]})";
  auto rows = [](QChar table, int count) {
    QString text;
    for (int i = 0; i < count; ++i) text += QStringLiteral("%1%2\n").arg(table).arg(i, 4, 10, QLatin1Char('0'));
    return text.toStdString();
  };
  struct Case {
    int a;
    int b;
    int sheets;
  };
  // 5 rows fit each first box and 24 a continuation sheet, less what the table above took there.
  for (const Case c : {Case{10, 10, 2}, Case{32, 10, 3}, Case{0, 40, 3}, Case{20, 12, 2}, Case{20, 13, 3}}) {
    SCOPED_TRACE(testing::Message() << c.a << " + " << c.b);
    RenderedReport report;
    report.render(report.writeTemplate(shared), {{"a", rows(u'A', c.a)}, {"b", rows(u'B', c.b)}});
    ASSERT_EQ(report.pageCount(), c.sheets);
    std::set<QString> seen;
    for (int page = 1; page <= c.sheets; ++page) {
      const QString text = report.pageText(page);
      const QRegularExpression row(QStringLiteral("[AB]\\d{4}"));
      QString last;
      for (auto match = row.globalMatch(text); match.hasNext();) {
        const QString found = match.next().captured();
        EXPECT_TRUE(seen.insert(found).second) << found.toStdString();
        EXPECT_LE(last, found) << "page " << page << ": rows out of order or overlapping";
        last = found;
      }
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(c.a + c.b));
  }
}

TEST(FlowingTable, ContinuationMayStandMoreCopiesSideBySide) {
  const QByteArray narrowFirst = R"({"reports": [{"name": "Report1", "page": {"margins": 10}, "items": [
        {"kind": "table", "x": 0, "y": 20, "width": 60, "height": 24, "rows": "{a}",
         "continuation": {"x": 0, "y": 20, "width": 190, "height": 100, "across": 2},
         "columns": [{"header": "TA", "width": 60}]}]}]})";
  // 5 rows on the first sheet, then 2 x 24 on each later one.
  for (const auto& [rows, sheets] : {std::pair{53, 2}, std::pair{54, 3}}) {
    SCOPED_TRACE(rows);
    RenderedReport report;
    report.render(report.writeTemplate(narrowFirst), {{"a", rowsOf(rows).toStdString()}});
    EXPECT_EQ(report.pageCount(), sheets);
  }
}

TEST(FlowingTable, SingleSheetShowsFolhaExactly) {
  RenderedReport report;
  report.render(report.writeTemplate(kFlowingTable), {{"folha_1", "única"}, {"chaves", "A\t1\n"}});
  EXPECT_TRUE(report.text().contains(QStringLiteral("FOLHA[única]")));
}

TEST(FlowingTable, BoxTooLowForOneRowIsAnError) {
  RenderedReport report;
  const QString path = report.writeTemplate(R"({"reports": [{"name": "Report1", "items": [
        {"kind": "table", "height": 5, "rowHeight": 4, "rows": "{r}", "columns": [{"width": 20}]}]}]})");
  EXPECT_THAT([&] { runReport(path); },
              testing::ThrowsMessage<ERvProjectError>(
                  testing::AllOf(testing::HasSubstr(path.toStdString()), testing::HasSubstr("baixa demais"))));
}

TEST(QrCode, DecodesToTheValueExactly) {
  RenderedReport report;
  const QString path = report.writeTemplate(R"({"reports": [{"name": "Report1", "items": [
        {"kind": "qrcode", "x": 150, "y": 10, "width": 35, "height": 35, "value": "{qr}"},
        {"kind": "barcode", "x": 10, "y": 15, "width": 120, "height": 12, "value": "{key}"}]}]})");
  const char* url =
      "https://dfe-portal.svrs.rs.gov.br/mdfe/qrCode?chMDFe=43171012345678000199580010000012341000123450&tpAmb=1";
  for (const char* value : {url, "Manifesto nº 1 — São João"}) {
    SCOPED_TRACE(value);
    report.render(path, {{"qr", value}, {"key", "43171012345678000199580010000012341000123450"}});
    const QStringList codes = report.barcodes();
    EXPECT_TRUE(codes.contains(QString::fromUtf8(value))) << codes.join(u'|').toStdString();
    EXPECT_EQ(codes.size(), 2);
  }
  report.render(path, {{"qr", ""}, {"key", ""}});
  EXPECT_TRUE(report.barcodes().isEmpty());
}

TEST(Mark, ShownOnlyWhenItsParameterIsSet) {
  RenderedReport report;
  const QString path = report.writeTemplate(R"({"reports": [{"name": "Report1", "items": [
        {"kind": "mark", "x": 0, "y": 100, "width": 190, "height": 60, "angle": -30, "text": "{marca}",
         "when": "marca", "repeat": true},
        {"kind": "mark", "x": 0, "y": 0, "width": 190, "height": 20, "size": 20, "text": "FAIXA", "when": "marca"}]}]})");
  for (const char* value : {"SEM VALOR FISCAL", ""}) {
    SCOPED_TRACE(value);
    report.render(path, {{"marca", value}});
    const QString text = withoutBlanks(report.streamText());
    const bool shown = *value != '\0';
    EXPECT_EQ(text.contains(QStringLiteral("SEMVALORFISCAL")), shown) << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral("FAIXA")), shown);
  }
}

}  // namespace
