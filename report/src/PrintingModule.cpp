#include "PrintingModule.h"

#include "RvProject.h"

#include <QGuiApplication>

#include <dlfcn.h>

namespace report {

namespace {

struct LoadedModule {
  const PrintingModule* module = nullptr;
  QString error;
};

LoadedModule load() {
  // Found through the programs' run path: beside them in the build tree, in their lib folder when
  // installed. dlopen is called from here, in the program, so that run path is the one searched.
  void* handle = dlopen("libdamdfe-printing.so", RTLD_NOW | RTLD_LOCAL);
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
