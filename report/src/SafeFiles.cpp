#include "SafeFiles.h"

#include "RvProject.h"

#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>

namespace {

// Fixed storage: the signal handler may neither allocate nor lock.
constexpr int kSlots = 16;
// Claimed by one thread at a time (print jobs may run on several); the handler reads only ready ones.
struct Slot {
  std::atomic<bool> claimed{false};
  std::atomic<bool> ready{false};
  char path[4096] = {};
};
std::array<Slot, kSlots> slots;

extern "C" void RemoveRegisteredAndDie(int signal) {
  for (int i = kSlots - 1; i >= 0; --i) {
    if (!slots[i].ready.load()) continue;
    if (::unlink(slots[i].path) != 0) ::rmdir(slots[i].path);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void InstallHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_handler = RemoveRegisteredAndDie;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM}) {
      struct sigaction previous {};
      // A host that chose to ignore the signal keeps it ignored.
      if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
      sigaction(signal, &action, nullptr);
    }
  });
}

[[noreturn]] void fail(const QString& path, int error) {
  throw ERvProjectError(QStringLiteral("Não foi possível gravar \"%1\": %2.")
                            .arg(path, QString::fromStdString(SystemErrorText(error)))
                            .toStdString());
}

}  // namespace

TRemovedOnInterrupt::TRemovedOnInterrupt(const std::filesystem::path& path) : slot_(-1) {
  InstallHandlers();
  const std::string& text = path.native();
  if (text.size() >= sizeof(Slot::path)) return;
  for (int i = 0; i < kSlots; ++i) {
    bool free = false;
    if (!slots[i].claimed.compare_exchange_strong(free, true)) continue;
    std::memcpy(slots[i].path, text.c_str(), text.size() + 1);
    slots[i].ready.store(true);
    slot_ = i;
    return;
  }
}

TRemovedOnInterrupt::~TRemovedOnInterrupt() {
  if (slot_ < 0) return;
  slots[slot_].ready.store(false);
  slots[slot_].claimed.store(false);
}

std::string SystemErrorText(int error) {
  switch (error) {
    case ENOENT: return "arquivo ou pasta não encontrado";
    case EACCES:
    case EPERM: return "permissão negada";
    case ENOSPC:
    case EDQUOT: return "disco cheio";
    case EROFS: return "disco somente para leitura";
    case EISDIR: return "é uma pasta, não um arquivo";
    case ENOTDIR: return "parte do caminho não é uma pasta";
    case ENAMETOOLONG: return "nome longo demais";
    case EIO: return "erro de entrada e saída no disco";
    case ELOOP: return "ligações simbólicas demais no caminho";
    default: return "erro do sistema " + std::to_string(error) + " (" + std::strerror(error) + ")";
  }
}

void WriteAtomically(const QString& path, const std::function<void(QIODevice&)>& write) {
  const std::filesystem::path target(QFile::encodeName(path).toStdString());
  QTemporaryFile file(QFile::decodeName(QByteArray::fromStdString(
      (target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path()).native() + "/." +
      target.filename().native() + ".XXXXXX")));
  if (!file.open()) fail(path, errno);
  TRemovedOnInterrupt removed(QFile::encodeName(file.fileName()).toStdString());
  write(file);
  errno = 0;
  if (!file.flush() || file.error() != QFileDevice::NoError) fail(path, errno ? errno : EIO);
  if (::fsync(file.handle()) != 0) fail(path, errno);
  // As a newly created file would be: the temporary file is private.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(file.handle(), 0666 & ~mask);
  if (::rename(QFile::encodeName(file.fileName()).constData(), target.c_str()) != 0) fail(path, errno);
  file.setAutoRemove(false);
}
