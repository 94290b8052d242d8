// The whole print job, from manifest bytes to a PDF in memory through the real templates.
#include "FuzzSupport.h"
#include "PrintJob.h"
#include "ReportOutput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartQtOffscreen();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = InputFile(data, size, "manifest.xml").string();
  PrintDAMDFE({path, "", "", "", static_cast<int>(size % 2), {}}, rv::PdfInMemory{}, DAMDFE_TEMPLATE_DIR);
  return 0;
}
