#include "Output.h"

#include "RvProject.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <cups/cups.h>

#include <optional>

#include "SafeFiles.h"

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

// Sends the PDF to the queue through CUPS itself, so a refused or failed submission is known.
void printThroughCups(const QByteArray& pdf, const QString& queueName, const QString& title) {
  const QByteArray requested = queueName.toUtf8();
  cups_dest_t* destination =
      cupsGetNamedDest(CUPS_HTTP_DEFAULT, requested.isEmpty() ? nullptr : requested.constData(), nullptr);
  if (!destination) {
    fail(queueName.isEmpty() ? QStringLiteral("Nenhuma impressora padrão está configurada.")
                             : QStringLiteral("Impressora \"%1\" não encontrada.").arg(queueName));
  }
  const QByteArray queue(destination->name);
  cupsFreeDests(1, destination);
  const QByteArray name = title.toUtf8();
  cups_option_t* options = nullptr;
  // The sheets are A4 whatever paper the queue defaults to.
  const int optionCount = cupsAddOption("media", "A4", 0, &options);
  const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.constData(), name.constData(), optionCount, options);
  cupsFreeOptions(optionCount, options);
  bool sent = job > 0 && cupsStartDocument(CUPS_HTTP_DEFAULT, queue.constData(), job, name.constData(), CUPS_FORMAT_PDF,
                                           1) == HTTP_STATUS_CONTINUE;
  sent = sent && cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.constData(), static_cast<size_t>(pdf.size())) ==
                     HTTP_STATUS_CONTINUE;
  const bool finished = job > 0 && cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData()) == IPP_STATUS_OK;
  if (!sent || !finished) {
    if (job > 0) cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job, 0);
    fail(QStringLiteral("A impressora \"%1\" recusou o trabalho (resposta do CUPS: %2)")
             .arg(QString::fromUtf8(queue), QString::fromUtf8(cupsLastErrorString())));
  }
}

QByteArray pdfBytes(const Document& document) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  writePdf(document, buffer, QStringLiteral("memória"));
  return bytes;
}

QString pngPagePath(const QString& directory, int sheet) {
  return QDir(directory).filePath(QStringLiteral("page-%1.png").arg(sheet + 1));
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
    for (int sheet = 0; sheet < document.sheetCount(); ++sheet) {
      QImage image(pixels, QImage::Format_RGB32);
      image.setDotsPerMeterX(qRound(dpi / 0.0254));
      image.setDotsPerMeterY(qRound(dpi / 0.0254));
      image.fill(Qt::white);
      {
        QPainter painter(&image);
        document.paintPage(painter, sheet);
      }
      const QString path = pngPagePath(output.directory, sheet);
      WriteAtomically(path, [&](QIODevice& file) {
        if (!image.save(&file, "PNG")) fail(QStringLiteral("Não foi possível gravar a imagem \"%1\".").arg(path));
      });
    }
    // Pages of an earlier, longer run would pass for this one's.
    for (int sheet = document.sheetCount(); QFile::remove(pngPagePath(output.directory, sheet)); ++sheet) {
    }
  }

  void operator()(const rv::Printer& output) const {
    printThroughCups(pdfBytes(document), output.name, document.title());
  }

  void operator()(const rv::PrintPreview&) const {
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(document, printer);
    QPrintPreviewDialog dialog(&printer);
    dialog.setWindowTitle(document.title());
    // Nothing may be thrown through the event loop: the failure waits until exec() returns.
    std::optional<ERvProjectError> failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this, &failure](QPrinter* target) {
      try {
        // The print dialog may have chosen the queue's default paper: the sheets are A4.
        preparePrinter(document, *target);
        paintAllSheets(document, *target, QStringLiteral("visualização"));
      } catch (const ERvProjectError& error) {
        if (!failure) failure = error;
      }
    });
    const int answer = dialog.exec();
    if (failure) throw *failure;
    if (answer != QDialog::Accepted) fail(QStringLiteral("A visualização foi fechada sem imprimir."));
  }
};

}  // namespace

void requireApplication(const ReportOutput& output) {
  const bool needsWidgets = std::holds_alternative<rv::PrintPreview>(output);
  QCoreApplication* application = QCoreApplication::instance();
  if (!application) fail(QStringLiteral("O programa não criou a aplicação Qt que a saída do relatório exige."));
  if (needsWidgets ? !qobject_cast<QApplication*>(application) : !qobject_cast<QGuiApplication*>(application))
    fail(QStringLiteral("A aplicação não tem a interface gráfica que a saída do relatório exige."));
}

void produce(const Document& document, const ReportOutput& output) { std::visit(Producer{document}, output); }

}  // namespace report
