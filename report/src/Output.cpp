#include "Output.h"

#include "RvProject.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

ReportOutput& chosenOutput() {
  static ReportOutput output = rv::PrintPreview{};
  return output;
}

}  // namespace

void SetReportOutput(ReportOutput output) { chosenOutput() = std::move(output); }

const ReportOutput& CurrentReportOutput() { return chosenOutput(); }

namespace report {

namespace {

[[noreturn]] void fail(const QString& message) { throw ERvProjectError(message.toStdString()); }

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

void preparePrinter(const Document& document, QPrinter& printer) {
  printer.setFullPage(true);
  printer.setPageLayout(pageLayout(document));
  printer.setDocName(document.title());
}

struct Producer {
  const Document& document;

  void operator()(const rv::PdfFile& output) const {
    QFile file(output.path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      fail(QStringLiteral("Não foi possível gravar o PDF \"%1\": %2.").arg(output.path, file.errorString()));
    writePdf(document, file, QStringLiteral("\"%1\"").arg(output.path));
    if (!file.flush())
      fail(QStringLiteral("Não foi possível gravar o PDF \"%1\": %2.").arg(output.path, file.errorString()));
  }

  void operator()(const rv::PdfInMemory& output) const {
    output.bytes->clear();
    QBuffer buffer(output.bytes.get());
    buffer.open(QIODevice::WriteOnly);
    writePdf(document, buffer, QStringLiteral("memória"));
  }

  void operator()(const rv::PngPages& output) const {
    if (!QDir().mkpath(output.directory))
      fail(QStringLiteral("Não foi possível criar a pasta \"%1\".").arg(output.directory));
    const int dpi = std::clamp(output.dpi, 10, 1200);
    const QSizeF mm = document.pageSizeMm();
    const QSize pixels(qRound(mm.width() / 25.4 * dpi), qRound(mm.height() / 25.4 * dpi));
    for (int sheet = 0; sheet < document.sheetCount(); ++sheet) {
      QImage image(pixels, QImage::Format_RGB32);
      image.setDotsPerMeterX(qRound(dpi / 0.0254));
      image.setDotsPerMeterY(qRound(dpi / 0.0254));
      image.fill(Qt::white);
      {
        QPainter painter(&image);
        document.paintPage(painter, sheet);
      }
      const QString path = QDir(output.directory).filePath(QStringLiteral("page-%1.png").arg(sheet + 1));
      if (!image.save(path, "PNG")) fail(QStringLiteral("Não foi possível gravar a imagem \"%1\".").arg(path));
    }
  }

  void operator()(const rv::Printer& output) const {
    const QPrinterInfo info =
        output.name.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(output.name);
    if (info.isNull()) {
      fail(output.name.isEmpty() ? QStringLiteral("Nenhuma impressora padrão está configurada.")
                                 : QStringLiteral("Impressora \"%1\" não encontrada.").arg(output.name));
    }
    QPrinter printer(info, QPrinter::HighResolution);
    preparePrinter(document, printer);
    paintAllSheets(document, printer, QStringLiteral("impressora \"%1\"").arg(info.printerName()));
  }

  void operator()(const rv::PrintPreview&) const {
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(document, printer);
    QPrintPreviewDialog dialog(&printer);
    dialog.setWindowTitle(document.title());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this](QPrinter* target) { paintAllSheets(document, *target, QStringLiteral("visualização")); });
    dialog.exec();
  }
};

}  // namespace

void prepareApplication(const ReportOutput& output) {
  const bool needsWidgets = std::holds_alternative<rv::PrintPreview>(output);
  if (QCoreApplication* existing = QCoreApplication::instance()) {
    if (needsWidgets ? !qobject_cast<QApplication*>(existing) : !qobject_cast<QGuiApplication*>(existing))
      fail(QStringLiteral("A aplicação não tem a interface gráfica que a saída do relatório exige."));
    return;
  }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  // Without a display only the offscreen platform starts.
  if (!needsWidgets && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  static int argc = 1;
  static char name[] = "damdfe";
  static char* argv[] = {name, nullptr};
  // Kept for the life of the process, like a host's own application object.
  static QGuiApplication* application = needsWidgets ? new QApplication(argc, argv) : new QGuiApplication(argc, argv);
  Q_UNUSED(application);
}

void produce(const Document& document, const ReportOutput& output) { std::visit(Producer{document}, output); }

}  // namespace report
