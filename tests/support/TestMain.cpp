#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // Must precede the application object: there is no display here.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
