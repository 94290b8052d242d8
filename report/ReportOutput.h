#pragma once
// Where a report goes; each TRvProject has its own (TRvProject::SetOutput).

#include <QByteArray>
#include <QString>

#include <memory>
#include <variant>

namespace rv {

// Qt's print preview dialog; needs the host's QApplication.
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

// Every output but the preview needs the host's QGuiApplication (or QApplication).
using ReportOutput = std::variant<rv::PrintPreview, rv::PdfFile, rv::Printer, rv::PngPages, rv::PdfInMemory>;

class QGuiApplication;

// A QApplication, as the preview needs, made by the module that holds the preview and printing,
// so a host that only previews sometimes need not link Qt Widgets. Throws ERvProjectError.
std::unique_ptr<QGuiApplication> NewPreviewApplication(int& argc, char** argv);
