// One DAMDFE to an in-memory PDF: with the template already parsed, and the
// whole path a print job takes (open, 32 parameters, fill, render).

#include "ReportOutput.h"
#include "RvProject.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QString kTemplate = QStringLiteral(DAMDFE_SOURCE_DIR "/templates/DAMDFE_Retrato.rav");

void setDamdfeParameters(TRvProject& project) {
  const std::pair<const char*, const char*> parameters[] = {
      {"nMDF", "1234"},
      {"Serie", "1"},
      {"tpMDF", "1"},
      {"chave_acesso", "4317 1012 3456 7800 0199 5800 1000 0012 3410 0012 3450"},
      {"barra_chave_acesso", "43171012345678000199580010000012341000123450"},
      {"contingencia", ""},
      {"barra_dados_mdfe", ""},
      {"dados_mdfe", ""},
      {"Nome", "Nome:TRANSPORTES RODOVIÁRIOS SÃO JOÃO DA BOA VISTA LTDA"},
      {"End", "End:AVENIDA PRESIDENTE JUSCELINO KUBITSCHEK DE OLIVEIRA"},
      {"Compl", "Compl:GALPÃO 3"},
      {"Bairro", "Bairro:DISTRITO INDUSTRIAL"},
      {"Nro", "Nro:1500"},
      {"Mun", "Mun:PORTO ALEGRE"},
      {"UF", "UF:RS"},
      {"CEP", "CEP:90010000"},
      {"pFoto", ""},
      {"NUM_PROTOCOLO", "143170000123456"},
      {"CNPJ", "CNPJ:12345678000199"},
      {"IE", "IE:0961234567"},
      {"DhEmi", "2017-10-04T19:54:12-03:00"},
      {"Mod", "58"},
      {"Serie", "1"},
      {"NMDF", "1234"},
      {"UFIni", "RS"},
      {"QCTe", "3"},
      {"QNFe", "12"},
      {"QCarga", "12500.0000"},
      {"Placa", "ABC1D23"},
      {"CPF", "12345678909"},
      {"CNome", "JOSÉ DA SILVA PEREIRA"},
      {"folha_1", "1 / 1"},
  };
  for (const auto& [name, value] : parameters) project.SetParam(name, value);
}

void RenderWithTemplateParsed(benchmark::State& state) {
  const rv::PdfInMemory output;
  SetReportOutput(output);
  TRvProject project;
  project.SetProjectFile(kTemplate);
  setDamdfeParameters(project);
  project.ExecuteReport("Report1");  // opens the template once
  for (auto _ : state) project.ExecuteReport("Report1");
  state.counters["pdf_bytes"] = static_cast<double>(output.bytes->size());
}
BENCHMARK(RenderWithTemplateParsed)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void OpenFillRender(benchmark::State& state) {
  SetReportOutput(rv::PdfInMemory{});
  for (auto _ : state) {
    TRvProject project;
    project.SetProjectFile(kTemplate);
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
  SetReportOutput(output);
  for (auto _ : state) {
    TRvProject project;
    project.SetProjectFile(path);
    project.SetParam("keys", keys);
    project.ExecuteReport("Report1");
  }
  state.counters["pdf_bytes"] = static_cast<double>(output.bytes->size());
}
BENCHMARK(TenThousandRowTable)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
