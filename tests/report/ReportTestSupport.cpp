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

std::string failureOf(const QString& templatePath, const std::string& report, const ReportOutput& output) {
  SetReportOutput(output);
  TRvProject project;
  project.SetProjectFile(templatePath);
  try {
    project.ExecuteReport(report);
  } catch (const ERvProjectError& error) {
    return error.what();
  }
  return "(no error)";
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
  SetReportOutput(rv::PdfFile{pdfPath()});
  TRvProject project;
  project.SetProjectFile(templatePath);
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

ParameterList realisticDamdfeParameters() {
  return {
      {"nMDF", "1234"},
      {"Serie", "1"},
      {"tpMDF", "1"},
      {"chave_acesso", "4317 1012 3456 7800 0199 5800 1000 0012 3410 0012 3450"},
      {"barra_chave_acesso", "43171012345678000199580010000012341000123450"},
      {"contingencia", ""},
      {"barra_dados_mdfe", ""},
      {"dados_mdfe", ""},
      {"Nome", "Nome:TRANSPORTES RODOVIÁRIOS SÃO JOÃO DA BOA VISTA LTDA"},
      {"End", "End:AVENIDA PRESIDENTE JUSCELINO KUBITSCHEK DE OLIVEIRA"},
      {"Compl", "Compl:GALPÃO 3"},
      {"Bairro", "Bairro:DISTRITO INDUSTRIAL"},
      {"Nro", "Nro:1500"},
      {"Mun", "Mun:PORTO ALEGRE"},
      {"UF", "UF:RS"},
      {"CEP", "CEP:90010000"},
      {"pFoto", ""},
      {"NUM_PROTOCOLO", "143170000123456"},
      {"CNPJ", "CNPJ:12345678000199"},
      {"IE", "IE:0961234567"},
      {"DhEmi", "2017-10-04T19:54:12-03:00"},
      {"Mod", "58"},
      {"Serie", "1"},
      {"NMDF", "1234"},
      {"UFIni", "RS"},
      {"QCTe", "3"},
      {"QNFe", "12"},
      {"QCarga", "12500.0000"},
      {"Placa", "ABC1D23"},
      {"CPF", "12345678909"},
      {"CNome", "JOSÉ DA SILVA PEREIRA"},
      {"folha_1", "1 / 1"},
  };
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
