#include "procEventoMDFe_v300.h"

IXMLProcEventoMDFe LoadProcEventoMDFeDocument(const std::filesystem::path& file) {
  return intf_cast<TXMLProcEventoMDFe>(
      BindRoot<TXMLProcEventoMDFe>(LoadDocumentFile(file), u"procEventoMDFe", kMdfeNamespace));
}
