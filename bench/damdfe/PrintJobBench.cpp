// The print job in process (to an in-memory PDF), and damdfe-imprimir as a whole process.

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "PrintJob.h"
#include "ReportOutput.h"

namespace {

const std::string kSample = std::string(DAMDFE_SOURCE_DIR) + "/samples/MDFe_exemplo.xml";
const std::string kLogo = std::string(DAMDFE_SOURCE_DIR) + "/samples/logo_exemplo.bmp";

void BM_PrintJobInProcess(benchmark::State& state) {
  SetReportOutput(rv::PdfInMemory{});
  for (auto _ : state) {
    std::string result = PrintDAMDFE(kSample, kLogo, "", "135260000012345", 0);
    if (!result.empty()) state.SkipWithError(result.c_str());
  }
}

void BM_WholeProcess(benchmark::State& state) {
  std::string pdf = (std::filesystem::temp_directory_path() / "damdfe-bench.pdf").string();
  std::string command = std::string(DAMDFE_BIN_DIR) + "/damdfe-imprimir --logo " + kLogo + " --pdf " + pdf + " " +
                        kSample + " > /dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("damdfe-imprimir failed");
  }
  std::filesystem::remove(pdf);
}

BENCHMARK(BM_PrintJobInProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
