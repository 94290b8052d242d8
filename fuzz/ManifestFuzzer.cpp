// Manifest load, road-block cut and second load, and every accessor the print job reads.
#include "DamdfeParameters.h"
#include "FuzzSupport.h"
#include "ManifestLoading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    TLoadedManifest loaded = LoadManifestForPrinting(InputFile(data, size, "manifest.xml").string());
    TParameterRecorder settings;
    FillDAMDFEParameters(loaded, "", "contingencia", "", settings);
  } catch (const std::exception&) {
  }
  return 0;
}
