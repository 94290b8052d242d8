// One DAMDFE to an in-memory PDF: with the template already parsed, and the
// whole path a print job takes (open, 32 parameters, fill, render).

#include "RealisticParameters.h"
#include "ReportOutput.h"
#include "RvProject.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QString kTemplate = QStringLiteral(DAMDFE_SOURCE_DIR "/templates/DAMDFE_Retrato.rav");

void setDamdfeParameters(TRvProject& project) {
  for (const auto& [name, value] : realisticDamdfeParameters()) project.SetParam(name, value);
}

void RenderWithTemplateParsed(benchmark::State& state) {
  const rv::PdfInMemory output;
  TRvProject project;
  project.SetProjectFile(kTemplate);
  project.SetOutput(output);
  setDamdfeParameters(project);
  project.ExecuteReport("Report1");  // opens the template once
  for (auto _ : state) project.ExecuteReport("Report1");
  state.counters["pdf_bytes"] = static_cast<double>(output.bytes->size());
}
BENCHMARK(RenderWithTemplateParsed)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void OpenFillRender(benchmark::State& state) {
  for (auto _ : state) {
    TRvProject project;
    project.SetProjectFile(kTemplate);
    project.SetOutput(rv::PdfInMemory{});
    setDamdfeParameters(project);
    project.ExecuteReport("Report1");
    project.Close();
  }
}
BENCHMARK(OpenFillRender)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// A list of 10,000 access keys flowing over some 80 sheets.
void TenThousandRowTable(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("keys.rav"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) state.SkipWithError("cannot write the template");
  file.write(R"({"reports": [{"name": "Report1", "items": [
        {"kind": "text", "width": 190, "height": 6, "repeat": true, "text": "{pagina} / {paginas}"},
        {"kind": "table", "y": 10, "width": 190, "height": 260, "rows": "{keys}", "rowHeight": 4, "across": 2,
         "size": 7, "columns": [{"header": "CHAVE", "width": 80}, {"header": "N", "width": 12}]}]}]})");
  file.close();

  std::string keys;
  for (int i = 0; i < 10000; ++i)
    keys += "4317101234567800019958001000001234" + std::to_string(1000000000 + i) + "\t" + std::to_string(i) + "\n";
  const rv::PdfInMemory output;
  for (auto _ : state) {
    TRvProject project;
    project.SetProjectFile(path);
    project.SetOutput(output);
    project.SetParam("keys", keys);
    project.ExecuteReport("Report1");
  }
  state.counters["pdf_bytes"] = static_cast<double>(output.bytes->size());
}
BENCHMARK(TenThousandRowTable)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
