#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>

namespace {
constexpr int kPollMilliseconds = 20;
constexpr int kSafetyLimitMilliseconds = 15000;
}  // namespace

ModalAnswerer::ModalAnswerer(FileDialogAnswer fileDialogAnswer) : fileDialogAnswer_(std::move(fileDialogAnswer)) {
  QObject::connect(&poll_, &QTimer::timeout, [this] { Answer(); });
  poll_.start(kPollMilliseconds);
  QObject::connect(&safety_, &QTimer::timeout, [this] { CloseWhatIsOpen(); });
  safety_.start(kSafetyLimitMilliseconds);
}

void ModalAnswerer::CloseWhatIsOpen() {
  if (QWidget* modal = QApplication::activeModalWidget()) {
    timedOut = true;
    modal->close();
  }
  safety_.start(kPollMilliseconds * 5);
}

void ModalAnswerer::Answer() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || !modal->isVisible()) return;
  // The answer may wait for the dialog to fill; the poll must not answer twice meanwhile.
  poll_.stop();
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    messages << box->text();
    messageButtons << box->buttons().size();
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
      ok->click();
    else
      box->reject();
  } else if (auto* fileDialog = qobject_cast<QFileDialog*>(modal)) {
    ++fileDialogs;
    if (fileDialogAnswer_) fileDialogAnswer_(*fileDialog);
    if (fileDialog->isVisible()) fileDialog->reject();
  } else {
    unexpected << QString::fromLatin1(modal->metaObject()->className());
    modal->close();
  }
  poll_.start(kPollMilliseconds);
}

bool WaitFor(const std::function<bool()>& condition) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > 2000) return false;
    QTest::qWait(10);
  }
  return true;
}
