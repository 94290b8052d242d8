#pragma once
// Files in the making: removed when SIGINT or SIGTERM ends the process, and
// system error numbers said in Portuguese.

#include <QIODevice>
#include <QString>

#include <filesystem>
#include <functional>
#include <string>

// While it lives, the path (a file or an empty folder) is removed if SIGINT or SIGTERM ends
// the process. Paths registered later are removed first.
class TRemovedOnInterrupt {
 public:
  explicit TRemovedOnInterrupt(const std::filesystem::path& path);
  ~TRemovedOnInterrupt();
  TRemovedOnInterrupt(const TRemovedOnInterrupt&) = delete;
  TRemovedOnInterrupt& operator=(const TRemovedOnInterrupt&) = delete;

 private:
  int slot_;
};

// A Portuguese text for an errno value ("disco cheio", "arquivo não encontrado", ...).
std::string SystemErrorText(int error);

// Writes the file through a temporary file in its folder and renames it over the path only
// when `write` succeeded: a failure leaves an earlier file untouched and nothing partial, and
// a symbolic link at the path is replaced, never followed. Throws ERvProjectError.
void WriteAtomically(const QString& path, const std::function<void(QIODevice&)>& write);

// Writes the files name(0), name(1), ... into the folder as one set: all are written into a hidden
// folder there first, then renamed into place with SIGINT and SIGTERM held off, and files of an
// earlier, longer set removed. A failure or interruption leaves the earlier set whole. A run killed
// outright leaves its hidden files, which the next write into the folder removes after an hour.
void WriteNumberedSetAtomically(const QString& folder, int count, const std::function<QString(int)>& name,
                                const std::function<void(int, QIODevice&)>& write);
