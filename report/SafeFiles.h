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
