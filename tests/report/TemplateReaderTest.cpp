// Every way a template can be wrong gives a message that names the file and
// the fault; no content makes the engine crash.

#include "ReportOutput.h"
#include "ReportTestSupport.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

struct BrokenTemplate {
  const char* what;
  QByteArray json;
  std::vector<const char*> expected;  // pieces the message must hold
};

QByteArray reportWithItem(const QByteArray& item) {
  return R"({"reports": [{"name": "Report1", "items": [)" + item + "]}]}";
}

TEST(TemplateErrors, EachFaultIsNamedWithItsFile) {
  const std::vector<BrokenTemplate> cases = {
      {"syntax, line and column",
       "{\n  \"reports\": [\n    {\"name\": \"Report1\",, }\n]}",
       {"sintaxe", "linha 3, coluna 24"}},
      {"column counts characters, not bytes", "{\"ã\": 1 2}", {"linha 1, coluna 9"}},
      {"empty file", "", {"sintaxe", "linha 1, coluna 1"}},
      {"not an object", "[1, 2]", {"objeto JSON"}},
      {"no report list", R"({"relatorios": []})", {"propriedade desconhecida \"relatorios\""}},
      {"unknown kind", reportWithItem(R"({"kind": "circle"})"), {"item 1", "tipo de item desconhecido \"circle\""}},
      {"missing kind", reportWithItem(R"({"x": 1})"), {"falta o tipo do item"}},
      {"unknown property",
       reportWithItem(R"({"kind": "text", "fnt": "Arial"})"),
       {"item 1 (text)", "propriedade desconhecida \"fnt\""}},
      {"property of another kind",
       reportWithItem(R"({"kind": "rect", "text": "x"})"),
       {"propriedade desconhecida \"text\""}},
      {"nested item",
       reportWithItem(R"({"kind": "group", "items": [{"kind": "line"}, {"kind": "blob"}]})"),
       {"item 1 (group), item 2", "\"blob\""}},
      {"wrong type", reportWithItem(R"({"kind": "text", "size": "big"})"), {"\"size\" deve ser um número"}},
      {"negative size", reportWithItem(R"({"kind": "rect", "width": -5})"), {"\"width\" deve estar entre 0"}},
      {"huge number", reportWithItem(R"({"kind": "rect", "x": 1e300})"), {"\"x\" deve estar entre"}},
      {"bad colour", reportWithItem(R"({"kind": "rect", "fill": "azulado"})"), {"cor inválida \"azulado\""}},
      {"bad choice", reportWithItem(R"({"kind": "text", "align": "middle"})"), {"\"align\"", "left, center"}},
      {"unknown style", reportWithItem(R"({"kind": "text", "style": "nada"})"), {"estilo desconhecido \"nada\""}},
      {"table without columns", reportWithItem(R"({"kind": "table", "rows": "{r}"})"), {"\"columns\""}},
      {"wrap not true or false",
       reportWithItem(R"({"kind": "table", "columns": [{"width": 10, "wrap": "sim"}]})"),
       {"coluna 1", "\"wrap\" deve ser true ou false"}},
      {"continuation header not a text",
       reportWithItem(R"({"kind": "table", "columns": [{"width": 10, "continuationHeader": 3}]})"),
       {"\"continuationHeader\" deve ser um texto"}},
      {"continuation header too high",
       reportWithItem(R"({"kind": "table", "columns": [{"width": 10}], "continuation": {"headerHeight": 500}})"),
       {"continuação", "\"headerHeight\" deve estar entre 0 e 100"}},
      {"unknown format in a placeholder",
       reportWithItem(R"({"kind": "text", "text": "{DhEmi|datahora}"})"),
       {"formato desconhecido \"datahora\""}},
      {"unknown column format",
       reportWithItem(R"({"kind": "table", "columns": [{"width": 10, "format": "cnpj"}]})"),
       {"coluna 1", "formato desconhecido \"cnpj\""}},
      {"stack holding a text",
       reportWithItem(R"({"kind": "group", "stack": true, "items": [{"kind": "text"}]})"),
       {"\"stack\" devem ser grupos"}},
      {"report without name", R"({"reports": [{"items": []}]})", {"falta o nome do relatório"}},
      {"bad orientation",
       R"({"reports": [{"name": "Report1", "page": {"orientation": "deitado"}}]})",
       {"\"orientation\""}},
  };
  RenderedReport folder;
  for (const BrokenTemplate& broken : cases) {
    SCOPED_TRACE(broken.what);
    const QString path = folder.writeTemplate(broken.json, QStringLiteral("broken.rav"));
    std::vector<testing::Matcher<std::string>> pieces = {testing::HasSubstr(path.toStdString())};
    for (const char* piece : broken.expected) pieces.push_back(testing::HasSubstr(piece));
    EXPECT_THAT([&] { runReport(path); }, testing::ThrowsMessage<ERvProjectError>(testing::AllOfArray(pieces)));
  }
}

TEST(TemplateErrors, FileProblemsAndAbsentReport) {
  RenderedReport folder;
  const QString valid = folder.writeTemplate(reportWithItem(""));
  const QString missing = folder.dir() + QStringLiteral("/nada.rav");
  EXPECT_THAT([&] { runReport(missing); },
              FailsWith<ERvProjectError>("Modelo de relatório \"" + missing.toStdString() + "\" inexistente."));
  EXPECT_THAT([&] { runReport(folder.dir()); },
              FailsWith<ERvProjectError>("Modelo de relatório \"" + folder.dir().toStdString() + "\" inexistente."));
  EXPECT_THAT([&] { runReport(valid, "Report2"); },
              FailsWith<ERvProjectError>("O modelo de relatório \"" + valid.toStdString() +
                                         "\" não contém o relatório \"Report2\"."));
  // A batch parses a template once, but a file rewritten in place is read anew.
  folder.writeTemplate(QByteArray(reportWithItem("")).replace("Report1", "Report2"));
  EXPECT_NO_THROW(runReport(valid, "Report2"));
  EXPECT_THAT([] { runReport(QString()); },
              testing::ThrowsMessage<ERvProjectError>(testing::HasSubstr("Nenhum modelo")));
}

// Whatever the bytes, the engine either renders or throws its own error.
TEST(TemplateErrors, HostileContentNeverCrashes) {
  QByteArrayList contents = {
      QByteArray(5000, '[') + QByteArray(5000, ']'),
      "{\"reports\": [" + QByteArray(3000, '{'),
      reportWithItem(QByteArray(200, '{').replace("{", R"({"kind": "group", "items": [)") +
                     QByteArray(200, ']').replace("]", "]}")),
      reportWithItem(
          R"({"kind": "text", "x": 9999, "y": -9999, "width": 10000, "height": 10000, "size": 500, "text": "{a}", "shrink": true, "wrap": true})"),
      reportWithItem(
          R"({"kind": "table", "width": 0, "height": 10000, "rowHeight": 1, "rows": "{a}", "across": 20, "columns": [{"width": 10000}]})"),
      reportWithItem(
          R"({"kind": "barcode", "width": 0, "height": 0, "value": "{a}"}, {"kind": "qrcode", "width": 10000, "height": 1, "value": "{a}"})"),
      reportWithItem(
          R"({"kind": "table", "width": 0, "height": 50, "rows": "{a}", "columns": [{"width": 0, "wrap": true}, {"width": 1, "wrap": true}]})"),
      reportWithItem(R"({"kind": "mark", "width": 10000, "height": 10000, "angle": 360, "text": "{a}"})"),
      QByteArray("\xEF\xBB\xBF\xFF\xFE\x00garbage", 14),
  };
  QRandomGenerator random(42);
  for (int i = 0; i < 30; ++i) {
    QByteArray noise(static_cast<qsizetype>(random.bounded(1, 400)), '\0');
    for (char& byte : noise) byte = static_cast<char>(random.bounded(256));
    contents << noise;
  }

  RenderedReport folder;
  for (qsizetype i = 0; i < contents.size(); ++i) {
    SCOPED_TRACE(i);
    const QString path = folder.writeTemplate(contents[i], QStringLiteral("hostile.rav"));
    TRvProject project;
    project.SetProjectFile(path);
    project.SetOutput(rv::PdfInMemory{});
    project.SetParam("a", std::string(3000, '\xC3'));  // invalid UTF-8 as well
    try {
      project.ExecuteReport("Report1");
    } catch (const ERvProjectError& error) {
      EXPECT_NE(std::string(error.what()).find("hostile.rav"), std::string::npos) << error.what();
    }
  }
}

}  // namespace
