// The road-block cut of any bytes, then the cut block loaded as a document of its own.
#include <string_view>

#include "FuzzSupport.h"
#include "ModalBlock.h"
#include "mdfeModalRodoviario_v300.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const std::string block = CutRoadBlock(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string path = InputFile(reinterpret_cast<const uint8_t*>(block.data()), block.size(), "Rodo.xml");
    IXMLRodo rodo = LoadRodoDocument(FromUtf8(path));
    rodo->veicTracao()->placa();
  } catch (const std::exception&) {
  }
  return 0;
}
