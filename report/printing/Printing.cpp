// The print preview, printing through CUPS and the application they need, in a module of their own.

#include "PrintingModule.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <cups/cups.h>

namespace {

void preparePrinter(QPrinter& printer, const QString& title, const QPageLayout& layout) {
  printer.setFullPage(true);
  printer.setPageLayout(layout);
  printer.setDocName(title);
}

QString preview(const QString& title, const QPageLayout& layout, const report::SheetPainter& paintSheets) {
  QPrinter printer(QPrinter::HighResolution);
  preparePrinter(printer, title, layout);
  QPrintPreviewDialog dialog(&printer);
  dialog.setWindowTitle(title);
  // Nothing may be thrown through the event loop: the first failure waits until exec() returns.
  QString failure;
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
    // The print dialog may have chosen the queue's default paper: the sheets are A4.
    preparePrinter(*target, title, layout);
    const QString failed = paintSheets(*target);
    if (failure.isEmpty()) failure = failed;
  });
  const int answer = dialog.exec();
  if (!failure.isEmpty()) return failure;
  return answer == QDialog::Accepted ? QString() : QStringLiteral("A visualização foi fechada sem imprimir.");
}

// Sends the PDF to the queue through CUPS itself, so a refused or failed submission is known.
QString print(const QByteArray& pdf, const QString& queueName, const QString& title) {
  const QByteArray requested = queueName.toUtf8();
  cups_dest_t* destination =
      cupsGetNamedDest(CUPS_HTTP_DEFAULT, requested.isEmpty() ? nullptr : requested.constData(), nullptr);
  if (!destination) {
    return queueName.isEmpty() ? QStringLiteral("Nenhuma impressora padrão está configurada.")
                               : QStringLiteral("Impressora \"%1\" não encontrada.").arg(queueName);
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
  if (sent && finished) return {};
  if (job > 0) cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job, 0);
  return QStringLiteral("A impressora \"%1\" recusou o trabalho (resposta do CUPS: %2)")
      .arg(QString::fromUtf8(queue), QString::fromUtf8(cupsLastErrorString()));
}

QGuiApplication* newApplication(int& argc, char** argv) { return new QApplication(argc, argv); }

}  // namespace

extern "C" const report::PrintingModule* damdfe_printing_module() {
  static const report::PrintingModule module{&preview, &print, &newApplication};
  return &module;
}
