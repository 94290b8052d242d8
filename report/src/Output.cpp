#include "Output.h"

#include "RvProject.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

#include "PrintingModule.h"
#include "SafeFiles.h"

namespace report {

namespace {

[[noreturn]] void fail(const QString& message) { throw ERvProjectError(message.toStdString()); }

void failOn(const QString& failure) {
  if (!failure.isEmpty()) fail(failure);
}

QPageLayout pageLayout(const Document& document) {
  return QPageLayout(QPageSize(QPageSize::A4), document.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF());
}

void paintAllSheets(const Document& document, QPagedPaintDevice& device, const QString& target) {
  QPainter painter;
  if (!painter.begin(&device)) fail(QStringLiteral("Não foi possível iniciar a saída do relatório em %1.").arg(target));
  for (int sheet = 0; sheet < document.sheetCount(); ++sheet) {
    if (sheet > 0) device.newPage();
    document.paintPage(painter, sheet);
  }
  painter.end();
}

void writePdf(const Document& document, QIODevice& file, const QString& target) {
  QPdfWriter writer(&file);
  writer.setPageLayout(pageLayout(document));
  writer.setResolution(600);
  writer.setTitle(document.title());
  writer.setCreator(QStringLiteral("DAMDFE"));
  paintAllSheets(document, writer, target);
}

QByteArray pdfBytes(const Document& document) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  writePdf(document, buffer, QStringLiteral("memória"));
  return bytes;
}

struct Producer {
  const Document& document;

  void operator()(const rv::PdfFile& output) const {
    WriteAtomically(output.path, [this, &output](QIODevice& file) {
      writePdf(document, file, QStringLiteral("\"%1\"").arg(output.path));
    });
  }

  void operator()(const rv::PdfInMemory& output) const { *output.bytes = pdfBytes(document); }

  void operator()(const rv::PngPages& output) const {
    if (!QDir().mkpath(output.directory))
      fail(QStringLiteral("Não foi possível criar a pasta \"%1\".").arg(output.directory));
    const int dpi = std::clamp(output.dpi, 10, 1200);
    const QSizeF mm = document.pageSizeMm();
    const QSize pixels(qRound(mm.width() / 25.4 * dpi), qRound(mm.height() / 25.4 * dpi));
    auto name = [](int sheet) { return QStringLiteral("page-%1.png").arg(sheet + 1); };
    WriteNumberedSetAtomically(output.directory, document.sheetCount(), name, [&](int sheet, QIODevice& file) {
      QImage image(pixels, QImage::Format_RGB32);
      image.setDotsPerMeterX(qRound(dpi / 0.0254));
      image.setDotsPerMeterY(qRound(dpi / 0.0254));
      image.fill(Qt::white);
      {
        QPainter painter(&image);
        document.paintPage(painter, sheet);
      }
      if (!image.save(&file, "PNG")) {
        fail(QStringLiteral("Não foi possível gravar a imagem \"%1\".")
                 .arg(QDir(output.directory).filePath(name(sheet))));
      }
    });
  }

  void operator()(const rv::Printer& output) const {
    failOn(printingModule().print(pdfBytes(document), output.name, document.title()));
  }

  void operator()(const rv::PrintPreview&) const {
    failOn(printingModule().preview(document.title(), pageLayout(document), [this](QPagedPaintDevice& device) {
      try {
        paintAllSheets(document, device, QStringLiteral("visualização"));
        return QString();
      } catch (const ERvProjectError& error) {
        return QString::fromStdString(error.what());
      }
    }));
  }
};

}  // namespace

void requireApplication(const ReportOutput& output) {
  const bool needsWidgets = std::holds_alternative<rv::PrintPreview>(output);
  QCoreApplication* application = QCoreApplication::instance();
  if (!application) fail(QStringLiteral("O programa não criou a aplicação Qt que a saída do relatório exige."));
  // By class name: the engine itself does not link Qt Widgets.
  if (needsWidgets ? !application->inherits("QApplication") : !qobject_cast<QGuiApplication*>(application))
    fail(QStringLiteral("A aplicação não tem a interface gráfica que a saída do relatório exige."));
}

void produce(const Document& document, const ReportOutput& output) { std::visit(Producer{document}, output); }

}  // namespace report
