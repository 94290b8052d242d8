#pragma once

// A captioned group of mutually exclusive choices addressed by index, as a form designer's radio group.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

  QStringList Items() const { return items_; }
  // -1 when nothing is selected.
  int ItemIndex() const;
  void SetItemIndex(int index);
  QRadioButton* Button(int index) const;

 Q_SIGNALS:
  void ItemIndexChanged(int index);

 private:
  QStringList items_;
  QButtonGroup* buttons_;
};
