// A host that created no Qt application: the engine refuses in words and starts none itself.

#include "FailsWith.h"
#include "RvProject.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(NoApplication, EveryOutputIsRefusedAndNoneIsCreated) {
  qunsetenv("QT_QPA_PLATFORM");
  QTemporaryDir dir;
  QFile file(dir.filePath(QStringLiteral("t.rav")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      R"({"reports": [{"name": "Report1", "items": [{"kind": "text", "width": 50, "height": 6, "text": "x"}]}]})");
  file.close();
  const std::vector<ReportOutput> outputs = {rv::PrintPreview{}, rv::PdfFile{dir.filePath(QStringLiteral("o.pdf"))},
                                             rv::Printer{}, rv::PngPages{dir.path()}, rv::PdfInMemory{}};
  for (const ReportOutput& output : outputs) {
    SCOPED_TRACE(output.index());
    TRvProject project;
    project.SetProjectFile(file.fileName());
    project.SetOutput(output);
    EXPECT_THAT([&] { project.ExecuteReport("Report1"); },
                FailsWith<ERvProjectError>("O programa não criou a aplicação Qt que a saída do relatório exige."));
  }
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_TRUE(qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"));
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("o.pdf"))));
}

}  // namespace
