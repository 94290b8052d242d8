#pragma once
// What every fuzz target shares: Qt offscreen, and the input as a file (the loaders read files).

#include <unistd.h>

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// The report engine needs the host's application object; it lives as long as the fuzzer and is
// never destroyed: at exit, Qt's per-thread font cache is gone before a static application's
// destructor would unregister the application fonts through it.
inline void StartQtOffscreen() {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "fuzz";
  static char* argv[] = {name, nullptr};
  static const QGuiApplication* application = new QGuiApplication(argc, argv);
  (void)application;
}

// One file per process, rewritten for each input and removed when the fuzzer exits.
inline std::filesystem::path InputFile(const uint8_t* data, size_t size, const char* name) {
  struct RemovedAtExit {
    std::filesystem::path path;
    ~RemovedAtExit() {
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
    }
  };
  static const RemovedAtExit file{std::filesystem::temp_directory_path() /
                                  ("damdfe-fuzz-" + std::to_string(::getpid()) + "-" + name)};
  std::ofstream(file.path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), size);
  return file.path;
}
