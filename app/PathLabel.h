#pragma once

// A label that holds a whole path: its text stays the full path, while it shows as much as fits,
// the file name first (the folder shortened in the middle), and the full path as its tooltip.

#include <QLabel>

class TPathLabel : public QLabel {
  Q_OBJECT

 public:
  TPathLabel(const QString& text, QWidget* parent = nullptr);

  // What the label shows at its present width.
  QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};
