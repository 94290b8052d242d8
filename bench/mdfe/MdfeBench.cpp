// A manifest with N "infNFe" under one "infMunDescarga": load it, then read every key.

#include <benchmark/benchmark.h>

#include "TestFiles.h"
#include "mdfe_v300.h"

namespace {

std::string ManifestWithInvoices(int invoices) {
  std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?><MDFe xmlns="http://www.portalfiscal.inf.br/mdfe">)"
                    R"(<infMDFe versao="3.00" Id="MDFe41190822545265000108580260000000081326846774"><infDoc>)"
                    "<infMunDescarga><cMunDescarga>4314902</cMunDescarga><xMunDescarga>Porto Alegre</xMunDescarga>";
  for (int i = 0; i < invoices; ++i) {
    std::string number = std::to_string(i);
    xml += "<infNFe><chNFe>" + std::string(44 - number.size(), '4') + number + "</chNFe></infNFe>";
  }
  return xml + "</infMunDescarga></infDoc></infMDFe></MDFe>";
}

void BM_LoadAndReadEveryNFeKey(benchmark::State& state) {
  TempDir dir;
  const int invoices = static_cast<int>(state.range(0));
  auto file = FromUtf8(dir.Write("manifest.xml", ManifestWithInvoices(invoices)).string());
  for (auto _ : state) {
    IXMLTMDFe root = LoadMdfeDocument(file);
    IXMLInfNFeList list = root->infMDFe()->infDoc()->infMunDescarga()->Item(0)->infNFe();
    size_t total = 0;
    for (auto invoice : *list) total += invoice->chNFe().size();
    if (total != static_cast<size_t>(invoices) * 44) state.SkipWithError("a key was not read");
    benchmark::DoNotOptimize(total);
  }
}

BENCHMARK(BM_LoadAndReadEveryNFeKey)
    ->Arg(5000)
    ->Arg(10000)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
