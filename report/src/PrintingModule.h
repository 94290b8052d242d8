#pragma once
// The outputs that need Qt Widgets, Qt Print Support or CUPS live in a module of their own, loaded
// on first use, so a program that only writes PDF or PNG never loads those libraries.

#include <QPageLayout>
#include <QString>

#include <functional>

class QByteArray;
class QGuiApplication;
class QPagedPaintDevice;

namespace report {

// Paints every sheet on the device; answers the failure text, empty when all went well.
using SheetPainter = std::function<QString(QPagedPaintDevice&)>;

// Each function answers a failure text, empty on success.
struct PrintingModule {
  QString (*preview)(const QString& title, const QPageLayout& layout, const SheetPainter& paintSheets);
  QString (*print)(const QByteArray& pdf, const QString& queueName, const QString& title);
  QGuiApplication* (*newApplication)(int& argc, char** argv);
};

// Loaded once per process; throws ERvProjectError when the module cannot be loaded.
const PrintingModule& printingModule();

}  // namespace report

extern "C" const report::PrintingModule* damdfe_printing_module();
