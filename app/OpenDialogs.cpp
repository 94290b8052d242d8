#include "OpenDialogs.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVBoxLayout>

QStringList QtNameFilters(const QString& designerFilter) {
  const QStringList parts = designerFilter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    // On Windows "*.*" also matches names without a dot; Qt's "*" is that.
    for (QString& pattern : patterns) {
      if (pattern == u"*.*") pattern = QStringLiteral("*");
    }
    filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(u' '));
  }
  return filters;
}

TOpenDialog::TOpenDialog(QWidget* parent) : QFileDialog(parent) {
  setOption(QFileDialog::DontUseNativeDialog, true);
  setFileMode(QFileDialog::ExistingFile);
  setAcceptMode(QFileDialog::AcceptOpen);
  setFilter(filter() & ~QDir::CaseSensitive);
}

namespace {

// The one file in the typed name's folder called name.suffix in any letter case, or empty.
QString FileWithSuffix(const QFileInfo& typed, const QString& suffix) {
  const QString wanted = typed.fileName() + u'.' + suffix;
  QStringList found = typed.dir().entryList(QDir::Files | QDir::Hidden);
  found.removeIf([&](const QString& name) { return name.compare(wanted, Qt::CaseInsensitive) != 0; });
  return found.size() == 1 ? found.front() : QString();
}

QString PictureFilter() {
  QStringList patterns;
  QStringList perFormat;
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    const QString suffix = QString::fromLatin1(format).toLower();
    patterns << QStringLiteral("*.") + suffix;
    perFormat << QStringLiteral("%1|*.%2").arg(suffix.toUpper(), suffix);
  }
  return QStringLiteral("Todas as imagens|") + patterns.join(u';') + u'|' + perFormat.join(u'|');
}

constexpr int kPreviewSide = 180;

}  // namespace

void TOpenDialog::accept() {
  auto* nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  const QString typed = nameEdit ? nameEdit->text() : QString();
  const QFileInfo typedFile(directory(), typed);
  if (!typed.isEmpty() && !defaultSuffix().isEmpty() && !typedFile.fileName().contains(u'.') && !typedFile.exists()) {
    const QString found = FileWithSuffix(typedFile, defaultSuffix());
    if (!found.isEmpty()) nameEdit->setText(typed + found.mid(typedFile.fileName().size()));
  }
  // Qt leaves the name's completion list on screen after Return, where it takes the next keys.
  if (nameEdit && nameEdit->completer()) nameEdit->completer()->popup()->hide();
  QFileDialog::accept();
}

TOpenPictureDialog::TOpenPictureDialog(QWidget* parent)
    : TOpenDialog(parent), preview_(new QLabel(this)), pictureSize_(new QLabel(this)) {
  setNameFilters(QtNameFilters(PictureFilter()));

  preview_->setObjectName(QStringLiteral("preview"));
  preview_->setFixedSize(kPreviewSide, kPreviewSide);
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setFrameShape(QFrame::StyledPanel);
  pictureSize_->setAlignment(Qt::AlignCenter);

  auto* pane = new QVBoxLayout;
  pane->addWidget(preview_);
  pane->addWidget(pictureSize_);
  pane->addStretch();
  // Qt's own dialog lays itself out in a grid: the preview takes a new column beside the list.
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    grid->addLayout(pane, 1, grid->columnCount(), grid->rowCount() - 1, 1);
  }
  connect(this, &QFileDialog::currentChanged, this, &TOpenPictureDialog::ShowPreview);
}

void TOpenPictureDialog::ShowPreview(const QString& path) {
  QImageReader reader(path);
  const QImage image = QFileInfo(path).isFile() ? reader.read() : QImage();
  if (image.isNull()) {
    preview_->clear();
    pictureSize_->clear();
    return;
  }
  QPixmap picture = QPixmap::fromImage(image);
  if (picture.width() > kPreviewSide || picture.height() > kPreviewSide) {
    picture = picture.scaled(preview_->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  preview_->setPixmap(picture);
  pictureSize_->setText(QStringLiteral("(%1x%2)").arg(image.width()).arg(image.height()));
}
