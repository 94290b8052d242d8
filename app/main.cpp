// damdfe: the window that prints the DAMDFE of an MDF-e.

#include <QApplication>

#include "ReportOutput.h"
#include "Unit1.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // From the preview the user prints to any printer or saves a PDF.
  SetReportOutput(rv::PrintPreview{});
  TForm1 Form1;
  Form1.show();
  return application.exec();
}
