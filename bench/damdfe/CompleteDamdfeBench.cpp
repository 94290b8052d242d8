// A manifest with 10,000 linked keys, from its XML file to an in-memory PDF of
// about a hundred sheets, in either orientation.

#include <benchmark/benchmark.h>

#include "ManifestVariants.h"
#include "PrintJob.h"
#include "ReportOutput.h"

namespace {

void BM_TenThousandKeysToPdf(benchmark::State& state) {
  TempDir dir;
  std::string xml = dir.Write("manifest.xml", WithLinkedDocuments(10000)).string();
  rv::PdfInMemory output;
  for (auto _ : state) {
    std::string result = PrintDAMDFE({xml, "", "", "", static_cast<int>(state.range(0)), {}}, output, DAMDFE_BIN_DIR);
    if (!result.empty()) state.SkipWithError(result.c_str());
  }
  state.counters["pdf_MB"] = static_cast<double>(output.bytes->size()) / 1e6;
}

BENCHMARK(BM_TenThousandKeysToPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);

}  // namespace
