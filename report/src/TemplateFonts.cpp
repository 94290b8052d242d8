#include "TemplateFonts.h"

#include "RvProject.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QSet>

#include <mutex>

namespace report {

void registerFontsBeside(const QString& templatePath) {
  // Qt's font database is the process's: what it holds stays registered. Print jobs run on
  // several threads in the service.
  static std::mutex guard;
  static QSet<QString> registered;
  const std::lock_guard lock(guard);
  const QString folder = QFileInfo(templatePath).absoluteDir().filePath(QStringLiteral("fonts"));
  if (registered.contains(folder)) return;
  const QStringList patterns = {QStringLiteral("*.ttf"), QStringLiteral("*.otf")};
  for (const QFileInfo& font : QDir(folder).entryInfoList(patterns, QDir::Files, QDir::Name)) {
    if (QFontDatabase::addApplicationFont(font.filePath()) < 0) {
      throw ERvProjectError(
          QStringLiteral("Não foi possível carregar a fonte \"%1\".").arg(font.filePath()).toStdString());
    }
  }
  registered.insert(folder);
}

}  // namespace report
