#include "PathLabel.h"

#include <QFileInfo>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

TPathLabel::TPathLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setTextFormat(Qt::PlainText);  // a path is shown as written, whatever it holds
  // Never widens the window, however long the path.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString TPathLabel::ShownText() const {
  const QFontMetrics metrics = fontMetrics();
  const int width = contentsRect().width();
  const QString path = text();
  if (metrics.horizontalAdvance(path) <= width) return path;
  const QString name = QFileInfo(path).fileName();
  const QString folder = path.left(path.size() - name.size());
  const int folderWidth = width - metrics.horizontalAdvance(name);
  if (name.isEmpty() || folderWidth < metrics.horizontalAdvance(QStringLiteral("/…/"))) {
    return metrics.elidedText(path, Qt::ElideMiddle, width);
  }
  return metrics.elidedText(folder, Qt::ElideMiddle, folderWidth) + name;
}

void TPathLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(), alignment(), palette(), isEnabled(), ShownText(), foregroundRole());
}

bool TPathLabel::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QLabel::event(event);
  QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
  return true;
}
