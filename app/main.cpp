// damdfe: the window that prints the DAMDFE of an MDF-e.

#include <QApplication>

#include "Application.h"
#include "Unit1.h"

int main(int argc, char** argv) {
  if (std::optional<int> exitCode = AnswerOnTerminal(argc, argv)) return *exitCode;
  QApplication application(argc, argv);
  // Qt has taken its own options (-platform, -style, ...) out of the arguments by now.
  const std::optional<QString> xmlFile = XmlArgument(application.arguments().mid(1));
  if (!xmlFile) return 2;
  SetUpApplication(application);
  TForm1 Form1;
  if (!xmlFile->isEmpty()) Form1.OpenXml(*xmlFile);
  Form1.show();
  return application.exec();
}
