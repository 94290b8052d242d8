// Collections of N repeated children: loading, reading one property of each item, appending.

#include <benchmark/benchmark.h>

#include "TestModel.h"

namespace {

std::string SyntheticDocument(int items) {
  std::string xml = "<root xmlns=\"urn:test\">";
  for (int i = 0; i < items; ++i) xml += "<item><name>" + std::to_string(i) + "</name></item>";
  return xml + "</root>";
}

void BM_Load(benchmark::State& state) {
  TempDir dir;
  auto file = FromUtf8(dir.Write("doc.xml", SyntheticDocument(static_cast<int>(state.range(0)))).string());
  for (auto _ : state) {
    auto root = intf_cast<TTestRoot>(BindRoot<TTestRoot>(LoadDocumentFile(file), u"root", kTestNamespace));
    benchmark::DoNotOptimize(root);
  }
}

void BM_ReadEveryItem(benchmark::State& state) {
  TempDir dir;
  auto file = FromUtf8(dir.Write("doc.xml", SyntheticDocument(static_cast<int>(state.range(0)))).string());
  for (auto _ : state) {
    state.PauseTiming();
    auto root = intf_cast<TTestRoot>(BindRoot<TTestRoot>(LoadDocumentFile(file), u"root", kTestNamespace));
    state.ResumeTiming();
    Ref<TTestItemList> items = root->item();
    size_t total = 0;
    for (auto item : *items) total += item->name().size();
    benchmark::DoNotOptimize(total);
  }
}

void BM_AppendItems(benchmark::State& state) {
  for (auto _ : state) {
    auto root = intf_cast<TTestRoot>(BindRoot<TTestRoot>(NewDocument(u"1.0"), u"root", kTestNamespace));
    Ref<TTestItemList> items = root->item();
    for (int i = 0; i < state.range(0); ++i) items->Add()->set_name(u"x");
    benchmark::DoNotOptimize(items->ItemCount());
  }
}

BENCHMARK(BM_Load)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEveryItem)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendItems)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
