#include "WindowSettings.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString FolderKey(const QString& dialog) { return QStringLiteral("folders/") + dialog; }
}  // namespace

TWindowSettings::TWindowSettings()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("damdfe"), QStringLiteral("damdfe")) {}

int TWindowSettings::Format() const { return settings_.value(QStringLiteral("format"), -1).toInt(); }

int TWindowSettings::Type() const { return settings_.value(QStringLiteral("type"), -1).toInt(); }

void TWindowSettings::SetFormat(int index) { settings_.setValue(QStringLiteral("format"), index); }

void TWindowSettings::SetType(int index) { settings_.setValue(QStringLiteral("type"), index); }

QString TWindowSettings::Logo() const { return settings_.value(QStringLiteral("logo")).toString(); }

void TWindowSettings::SetLogo(const QString& path) { settings_.setValue(QStringLiteral("logo"), path); }

QString TWindowSettings::StartFolder(const QString& dialog) const {
  const QString folder = settings_.value(FolderKey(dialog)).toString();
  // A folder removed since, or never chosen: the installed program's own folder means nothing to the user.
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void TWindowSettings::SetFolderOf(const QString& dialog, const QString& chosenFile) {
  settings_.setValue(FolderKey(dialog), QFileInfo(chosenFile).absolutePath());
}
