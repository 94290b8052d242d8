#pragma once

// The main window: five steps that collect the choices for one DAMDFE and hand them to the print job.

#include <QMainWindow>

#include <functional>
#include <string>
#include <vector>

#include "PrintJob.h"
#include "WindowSettings.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TOpenDialog;
class TOpenPictureDialog;
class TRadioGroup;

// Prints the window's choices and returns the job's result text.
using TPrintJob = std::function<std::string(const TPrintRequest&)>;

// A modal box with the message and one OK button. Every message of the window passes here.
void ShowMessage(QWidget* parent, const QString& message);

// A job that failed says so, with the job's result text: a failure is never silent.
void ShowPrintFailure(QWidget* parent, const std::string& result);

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);

  // Fills the XML step with the file as its dialog does; the command line and a drop come here too.
  void OpenXml(const QString& path);

  // Where the print button sends its choices; the print job to the print preview, from which the
  // user prints to any printer or saves a PDF, unless a test looks in between.
  TPrintJob PrintJob;

  QTabWidget* PageControl1;
  TRadioGroup* RadioGroup1;
  TRadioGroup* RadioGroup2;
  QLineEdit* Edit1;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;  // the events found beside the XML
  QLabel* Label7;  // whether the XML's signature and protocol confer
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button4;
  TOpenDialog* OpenDialog1;
  TOpenPictureDialog* OpenPictureDialog1;

 public Q_SLOTS:
  void Button1Click();
  void Button2Click();
  void Button4Click();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QWidget* CreateStepPanel();
  QWidget* CreateInformationPanel();
  std::vector<std::string> ShowEventsFound();
  void ShowVerdict();
  void OpenLogo(const QString& path);
  void RestoreChoices();
  void FocusFirstUnfinishedStep();

  TWindowSettings settings_;
};
