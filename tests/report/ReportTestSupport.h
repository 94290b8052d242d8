#pragma once
// Renders through the real engine into a temporary folder and reads the
// result back with the tools a person would use: pdftotext, pdftoppm, zbarimg.

#include "FailsWith.h"
#include "RealisticParameters.h"
#include "RvProject.h"

#include <QStringList>
#include <QTemporaryDir>

#include <string>
#include <utility>
#include <vector>

class RenderedReport {
 public:
  RenderedReport();

  // Writes the JSON to a ".rav" file in the folder and returns its path.
  QString writeTemplate(const QByteArray& json, const QString& name = QStringLiteral("test.rav")) const;

  // Runs the report to a PDF in the folder; throws what the engine throws.
  void render(const QString& templatePath, const ParameterList& parameters, const std::string& report = "Report1");

  QString pdfPath() const { return dir_.filePath(QStringLiteral("out.pdf")); }
  QString text() const;              // pdftotext -layout, all pages
  QString streamText() const;        // pdftotext -raw: in drawing order, wrapped lines joined by white space
  QString pageText(int page) const;  // one page, 1-based
  int pageCount() const;
  QString pdfTitle() const;
  QStringList barcodes() const;  // every code zbarimg reads at 300 dpi
  QString dir() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

#include "ReportOutput.h"

// Runs the report without parameters; throws what the engine throws.
void runReport(const QString& templatePath, const std::string& report = "Report1",
               const ReportOutput& output = rv::PdfInMemory{});

QString runTool(const QString& program, const QStringList& arguments);

QString templateBesideTests(const QString& name);

const QStringList& damdfeParameterNames();
