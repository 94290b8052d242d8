#include "PrivateFile.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace {

std::string SystemMessage(const std::string& what, const QString& path) {
  return what + " \"" + path.toStdString() + "\": " + SystemErrorText(errno);
}

// TMPDIR when it names a folder, else /tmp: an empty TMPDIR means "not set".
QString TemporaryBase() {
  const char* configured = std::getenv("TMPDIR");
  if (!configured || !*configured) return QStringLiteral("/tmp");
  std::error_code error;
  std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) {
    throw std::runtime_error("Pasta temporária inutilizável \"" + std::string(configured) +
                             "\": " + SystemErrorText(error.value()));
  }
  return QFile::decodeName(QByteArray::fromStdString(base.native()));
}

}  // namespace

TPrivateFile::TPrivateFile(const QString& name) : directory_(TemporaryBase() + QStringLiteral("/damdfe-XXXXXX")) {
  if (!directory_.isValid()) {
    throw std::runtime_error(SystemMessage("Não foi possível criar a pasta", TemporaryBase() + "/damdfe-XXXXXX"));
  }
  file_ = directory_.filePath(name);
  path_ = QFile::encodeName(file_).toStdString();
  directoryRemoved_ = std::make_unique<TRemovedOnInterrupt>(QFile::encodeName(directory_.path()).toStdString());
  fileRemoved_ = std::make_unique<TRemovedOnInterrupt>(path_);
}

void TPrivateFile::Write(const std::string& bytes) const {
  // The folder is ours alone; NewOnly still refuses anything planted in it, a link included.
  QFile file(file_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner)) {
    throw std::runtime_error(SystemMessage("Não foi possível criar o arquivo", file_));
  }
  const bool written = file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
  file.close();
  if (!written || file.error() != QFileDevice::NoError) {
    throw std::runtime_error(SystemMessage("Não foi possível gravar o arquivo", file_));
  }
}
