#pragma once

// Answers the modal windows that open while it lives, as the user at the screen would.

#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QFileDialog;

class ModalAnswerer {
 public:
  using FileDialogAnswer = std::function<void(QFileDialog&)>;

  // File dialogs are cancelled unless the test says otherwise.
  explicit ModalAnswerer(FileDialogAnswer fileDialogAnswer = {});

  QStringList messages;       // texts of the message boxes, each answered with OK
  QList<int> messageButtons;  // how many buttons each box offered
  int fileDialogs = 0;
  QStringList unexpected;  // other modal windows, closed
  bool timedOut = false;   // something was still open at the safety limit

 private:
  void Answer();

  void CloseWhatIsOpen();

  FileDialogAnswer fileDialogAnswer_;
  QTimer poll_;
  QTimer safety_;  // also fires while an answer is stuck in a nested window
};

// Waits, handling events, until the condition holds or two seconds pass.
bool WaitFor(const std::function<bool()>& condition);
