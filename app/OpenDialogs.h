#pragma once

// The window's two file-open dialogs, Qt's own widgets (not the desktop's) so a preview pane fits in.

#include <QFileDialog>
#include <QString>
#include <QStringList>

class QLabel;

// "Text|*.a;*.b|Text|*.*" as a designer writes it, in Qt's "Text (*.a *.b)" form.
QStringList QtNameFilters(const QString& designerFilter);

// Opens one existing file. Its name filters ignore letter case (Qt's default, kept on purpose):
// "*.XML" lists "nota.xml" too, as a Windows dialog does.
class TOpenDialog : public QFileDialog {
  Q_OBJECT

 public:
  explicit TOpenDialog(QWidget* parent = nullptr);

  // The file confirmed by the user, or empty.
  QString ChosenFile() const { return selectedFiles().value(0); }

 public Q_SLOTS:
  // A name typed without extension means the file with the default one, in whatever letter case
  // it was saved ("manifesto" opens "manifesto.xml" when the default suffix is "XML").
  void accept() override;
};

// Shows the picture under the cursor and its size beside the file list.
class TOpenPictureDialog : public TOpenDialog {
  Q_OBJECT

 public:
  explicit TOpenPictureDialog(QWidget* parent = nullptr);

  QLabel* Preview() const { return preview_; }

 private:
  void ShowPreview(const QString& path);

  QLabel* preview_;
  QLabel* pictureSize_;
};
