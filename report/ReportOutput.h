#pragma once
// Where reports go. The host program chooses once at start-up; every
// TRvProject run afterwards uses that choice.

#include <QByteArray>
#include <QString>

#include <memory>
#include <variant>

namespace rv {

// Qt's print preview dialog; needs a QApplication (created when none exists).
struct PrintPreview {};

struct PdfFile {
  QString path;
};

// An empty name means the system's default printer.
struct Printer {
  QString name;
};

// One image per sheet: page-1.png, page-2.png, ... in the directory.
struct PngPages {
  QString directory;
  int dpi = 150;
};

// The PDF lands in memory; each run replaces the bytes.
struct PdfInMemory {
  std::shared_ptr<QByteArray> bytes = std::make_shared<QByteArray>();
};

}  // namespace rv

using ReportOutput = std::variant<rv::PrintPreview, rv::PdfFile, rv::Printer, rv::PngPages, rv::PdfInMemory>;

// The default, until a host chooses, is the print preview.
void SetReportOutput(ReportOutput output);
const ReportOutput& CurrentReportOutput();
