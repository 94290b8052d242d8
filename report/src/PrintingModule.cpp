#include "PrintingModule.h"

#include "RvProject.h"

#include <QGuiApplication>

#include <dlfcn.h>

#include <filesystem>

namespace report {

namespace {

constexpr const char* kModuleName = "libdamdfe-printing.so";

struct LoadedModule {
  const PrintingModule* module = nullptr;
  QString error;
};

// Beside the program in the build tree, in its lib folder when installed. Found from the program's
// own file, which the system knows before any Qt application exists.
std::filesystem::path modulePath() {
  std::error_code error;
  const std::filesystem::path programs = std::filesystem::canonical("/proc/self/exe", error).parent_path();
  const std::filesystem::path beside = programs / kModuleName;
  if (std::filesystem::exists(beside, error)) return beside;
  return (programs / DAMDFE_MODULE_FROM_PROGRAMS / kModuleName).lexically_normal();
}

LoadedModule load() {
  void* handle = dlopen(modulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return {nullptr, QString::fromLocal8Bit(dlerror())};
  auto* entry = reinterpret_cast<const PrintingModule* (*)()>(dlsym(handle, "damdfe_printing_module"));
  if (!entry) return {nullptr, QString::fromLocal8Bit(dlerror())};
  return {entry(), {}};
}

}  // namespace

const PrintingModule& printingModule() {
  static const LoadedModule loaded = load();
  if (!loaded.module) {
    throw ERvProjectError(QStringLiteral("Não foi possível carregar o módulo de impressão e visualização: %1")
                              .arg(loaded.error)
                              .toStdString());
  }
  return *loaded.module;
}

}  // namespace report

std::unique_ptr<QGuiApplication> NewPreviewApplication(int& argc, char** argv) {
  return std::unique_ptr<QGuiApplication>(report::printingModule().newApplication(argc, argv));
}
