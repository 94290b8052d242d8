#include <QApplication>

#include <gtest/gtest.h>

#include "ReportOutput.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  // A print that a test did not mean to reach the report engine must not open a preview.
  SetReportOutput(rv::PdfInMemory{});
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
