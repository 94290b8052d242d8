// The print job in process (to an in-memory PDF), and damdfe-imprimir as a whole process.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "PrintJob.h"
#include "ReportOutput.h"
#include "TestSigner.h"

namespace {

const std::string kSample = std::string(DAMDFE_SOURCE_DIR) + "/samples/MDFe_exemplo.xml";
const std::string kLogo = std::string(DAMDFE_SOURCE_DIR) + "/samples/logo_exemplo.bmp";

void BM_PrintJobInProcess(benchmark::State& state) {
  for (auto _ : state) {
    std::string result = PrintDAMDFE({kSample, kLogo, "", "135260000012345", 0, {}}, rv::PdfInMemory{});
    if (!result.empty()) state.SkipWithError(result.c_str());
  }
}

// A manifest that verifies: signed at start by a throw-away authority, its signature checked in each print.
void BM_SignedManifestInProcess(benchmark::State& state) {
  const TestSigner signer;
  std::ifstream in(kSample, std::ios::binary);
  const std::string sample((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const TempDir dir;
  const std::string file = dir.Write("assinado.xml", signer.Sign(sample, "infMDFe")).string();
  for (auto _ : state) {
    std::string result = PrintDAMDFE({file, kLogo, "", "135260000012345", 0, {}}, rv::PdfInMemory{});
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

// Hostile files, each answered by its bound: a huge issuer name (printed, cut to its box), 100,000
// attributes on one element and 200,000 lines of observations (both refused).
void BM_HostileFile(benchmark::State& state) {
  std::ifstream in(kSample, std::ios::binary);
  const std::string sample((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string bytes = sample;
  auto replace = [&](const std::string& from, const std::string& to) {
    bytes.replace(bytes.find(from), from.size(), to);
  };
  std::string filler;
  if (state.range(0) == 0) {
    for (int i = 0; i < 1500000; ++i) filler += "NOME LONGO ";
    replace("TRANSPORTADORA EXEMPLO DE CARGAS RODOVIÁRIAS LTDA", filler);
  } else if (state.range(0) == 1) {
    for (int i = 0; i < 100000; ++i) filler += " a" + std::to_string(i) + "=\"1\"";
    replace("<MDFe ", "<MDFe" + filler + " ");
  } else {
    for (int i = 0; i < 200000; ++i) filler += "linha\n";
    replace("Manifesto de exemplo,", filler);
  }
  const std::string file = (std::filesystem::temp_directory_path() / "damdfe-hostil.xml").string();
  std::ofstream(file, std::ios::binary) << bytes;
  for (auto _ : state) benchmark::DoNotOptimize(PrintDAMDFE({file, "", "", "", 0, {}}, rv::PdfInMemory{}));
  std::filesystem::remove(file);
}

BENCHMARK(BM_PrintJobInProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SignedManifestInProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileFile)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WholeProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
