// Any bytes as a report template: read, filled with a few parameters, laid out and painted.
#include "FuzzSupport.h"
#include "ReportOutput.h"
#include "RvProject.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartQtOffscreen();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    TRvProject project;
    project.SetProjectFile(QString::fromStdString(InputFile(data, size, "template.rav").string()));
    project.SetOutput(rv::PdfInMemory{});
    for (const char* name : {"Nome", "chave_acesso", "observacoes", "qrcode", "pFoto"})
      project.SetParam(name, "1\t2\n3");
    project.ExecuteReport("Report1");
  } catch (const std::exception&) {
  }
  return 0;
}
