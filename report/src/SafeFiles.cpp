#include "SafeFiles.h"

#include "RvProject.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <set>

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

// While positive, a set of files is being renamed into place: the signal waits for its end.
std::atomic<int> deferring{0};
std::atomic<int> deferredSignal{0};

// Only system calls: safe in a signal handler. One level: our folders hold files only.
void RemoveFolder(const char* path) {
  const int folder = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder >= 0) {
    alignas(struct dirent64) char entries[4096];
    for (bool removed = true; removed;) {
      removed = false;
      ::lseek(folder, 0, SEEK_SET);
      for (ssize_t size; (size = ::getdents64(folder, entries, sizeof entries)) > 0;) {
        for (ssize_t at = 0; at < size;) {
          const auto* entry = reinterpret_cast<const struct dirent64*>(entries + at);
          if (entry->d_type != DT_DIR && ::unlinkat(folder, entry->d_name, 0) == 0) removed = true;
          at += entry->d_reclen;
        }
      }
    }
    ::close(folder);
  }
  ::rmdir(path);
}

extern "C" void RemoveRegisteredAndDie(int signal) {
  if (deferring.load() > 0) {
    deferredSignal.store(signal);
    return;
  }
  for (int i = kSlots - 1; i >= 0; --i) {
    if (!slots[i].ready.load()) continue;
    if (::unlink(slots[i].path) != 0) RemoveFolder(slots[i].path);
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

// Everything written is on the disk before the file takes its name.
void Sync(QFileDevice& file, const QString& target) {
  errno = 0;
  if (!file.flush() || file.error() != QFileDevice::NoError) fail(target, errno ? errno : EIO);
  if (::fsync(file.handle()) != 0) fail(target, errno);
}

QString FolderOf(const QString& path) {
  const QString folder = QFileInfo(path).path();
  return folder.isEmpty() ? QStringLiteral(".") : folder;
}

// Held off while it lives: an interruption lands after the renames, never between them.
class TInterruptsDeferred {
 public:
  TInterruptsDeferred() { ++deferring; }
  ~TInterruptsDeferred() {
    if (--deferring == 0) {
      if (const int signal = deferredSignal.exchange(0)) std::raise(signal);
    }
  }
  TInterruptsDeferred(const TInterruptsDeferred&) = delete;
  TInterruptsDeferred& operator=(const TInterruptsDeferred&) = delete;
};

// What a run killed outright (SIGKILL, power loss) leaves behind: ".saida.pdf.Ab12Cd" or
// ".damdfe-png.Ab12Cd". An hour is far beyond any print, so nothing in the making is touched.
void RemoveStalePartials(const QString& folder) {
  static std::mutex mutex;
  static std::set<QString> cleaned;  // once per folder: a batch of thousands stays linear
  {
    const std::lock_guard lock(mutex);
    if (!cleaned.insert(QDir(folder).absolutePath()).second) return;
  }
  static const QRegularExpression partial(
      QStringLiteral("^\\..+\\.(pdf|png)\\.[A-Za-z0-9]{6}$|^\\.damdfe-png\\.[A-Za-z0-9]{6}$"),
      QRegularExpression::CaseInsensitiveOption);
  const QDateTime stale = QDateTime::currentDateTimeUtc().addSecs(-3600);
  const QFileInfoList entries =
      QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
  for (const QFileInfo& entry : entries) {
    if (!partial.match(entry.fileName()).hasMatch() || entry.lastModified().toUTC() > stale ||
        entry.ownerId() != ::geteuid()) {
      continue;
    }
    if (entry.isDir()) {
      QDir(entry.filePath()).removeRecursively();
    } else {
      QFile::remove(entry.filePath());
    }
  }
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
  RemoveStalePartials(FolderOf(path));
  const std::filesystem::path target(QFile::encodeName(path).toStdString());
  QTemporaryFile file(QFile::decodeName(QByteArray::fromStdString(
      (target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path()).native() + "/." +
      target.filename().native() + ".XXXXXX")));
  if (!file.open()) fail(path, errno);
  TRemovedOnInterrupt removed(QFile::encodeName(file.fileName()).toStdString());
  write(file);
  Sync(file, path);
  // As a newly created file would be: the temporary file is private.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(file.handle(), 0666 & ~mask);
  if (::rename(QFile::encodeName(file.fileName()).constData(), target.c_str()) != 0) fail(path, errno);
  file.setAutoRemove(false);
}

void WriteNumberedSetAtomically(const QString& folder, int count, const std::function<QString(int)>& name,
                                const std::function<void(int, QIODevice&)>& write) {
  RemoveStalePartials(folder);
  QTemporaryDir set(QDir(folder).filePath(QStringLiteral(".damdfe-png.XXXXXX")));
  if (!set.isValid()) fail(folder, errno);
  TRemovedOnInterrupt removed(QFile::encodeName(set.path()).toStdString());
  const QDir destination(folder);
  const QDir staging(set.path());
  for (int index = 0; index < count; ++index) {
    QFile file(staging.filePath(name(index)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) fail(destination.filePath(name(index)), errno);
    write(index, file);
    Sync(file, destination.filePath(name(index)));
  }
  const TInterruptsDeferred whole;
  for (int index = 0; index < count; ++index) {
    const QString target = destination.filePath(name(index));
    if (::rename(QFile::encodeName(staging.filePath(name(index))).constData(), QFile::encodeName(target).constData()))
      fail(target, errno);
  }
  // Files of an earlier, longer set would pass for this one's.
  for (int index = count; QFile::remove(destination.filePath(name(index))); ++index) {
  }
}
