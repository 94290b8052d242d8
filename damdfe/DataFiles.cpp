#include "DataFiles.h"

#include <QCoreApplication>
#include <QFile>

namespace {

// Only the application object knows where the program is; without one the working folder stands in.
std::filesystem::path ProgramDirectory() {
  std::error_code error;
  if (!QCoreApplication::instance()) return std::filesystem::current_path(error);
  return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

}  // namespace

std::filesystem::path DataDirectory() {
  const std::filesystem::path programDirectory = ProgramDirectory();
  std::filesystem::path installed = programDirectory.parent_path() / "share" / "damdfe";
  std::error_code error;
  return std::filesystem::is_directory(installed, error) ? installed : programDirectory;
}
