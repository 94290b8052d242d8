#include "ReportTestSupport.h"

#include "ReportOutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

QString runTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(120000)) ADD_FAILURE() << program.toStdString() << " did not finish";
  return QString::fromUtf8(process.readAllStandardOutput());
}

void runReport(const QString& templatePath, const std::string& report, const ReportOutput& output) {
  TRvProject project;
  project.SetProjectFile(templatePath);
  project.SetOutput(output);
  project.ExecuteReport(report);
}

QString templateBesideTests(const QString& name) { return QDir(QCoreApplication::applicationDirPath()).filePath(name); }

RenderedReport::RenderedReport() { EXPECT_TRUE(dir_.isValid()); }

QString RenderedReport::writeTemplate(const QByteArray& json, const QString& name) const {
  const QString path = dir_.filePath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(json);
  return path;
}

void RenderedReport::render(const QString& templatePath, const ParameterList& parameters, const std::string& report) {
  TRvProject project;
  project.SetProjectFile(templatePath);
  project.SetOutput(rv::PdfFile{pdfPath()});
  for (const auto& [name, value] : parameters) project.SetParam(name, value);
  project.ExecuteReport(report);
  project.Close();
}

QString RenderedReport::text() const {
  return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfPath(), QStringLiteral("-")});
}

QString RenderedReport::streamText() const {
  return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdfPath(), QStringLiteral("-")});
}

QString RenderedReport::pageText(int page) const {
  const QString number = QString::number(page);
  return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), number,
                                               QStringLiteral("-l"), number, pdfPath(), QStringLiteral("-")});
}

static QString pdfInfoField(const QString& pdf, const QString& field) {
  const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
  const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(field), QRegularExpression::MultilineOption);
  return line.match(info).captured(1).trimmed();
}

int RenderedReport::pageCount() const { return pdfInfoField(pdfPath(), QStringLiteral("Pages")).toInt(); }

QString RenderedReport::pdfTitle() const { return pdfInfoField(pdfPath(), QStringLiteral("Title")); }

QStringList RenderedReport::barcodes() const {
  const QString prefix = dir_.filePath(QStringLiteral("scan"));
  runTool(QStringLiteral("pdftoppm"),
          {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"), QStringLiteral("-f"),
           QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), pdfPath(), prefix});
  QStringList pages = QDir(dir_.path()).entryList({QStringLiteral("scan*.png")});
  QStringList codes;
  for (const QString& page : pages) {
    const QString output =
        runTool(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"), dir_.filePath(page)});
    for (const QString& code : output.split(u'\n', Qt::SkipEmptyParts)) codes << code;
  }
  return codes;
}

const QStringList& damdfeParameterNames() {
  static const QStringList names = [] {
    QStringList result;
    for (const auto& parameter : realisticDamdfeParameters()) {
      const QString name = QString::fromStdString(parameter.first);
      if (!result.contains(name)) result << name;
    }
    return result;
  }();
  return names;
}
