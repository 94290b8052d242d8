#include "procEventoMDFe_v300.h"

IXMLProcEventoMDFe LoadProcEventoMDFeDocument(const std::u16string& fileName) {
  return intf_cast<TXMLProcEventoMDFe>(
      BindRoot<TXMLProcEventoMDFe>(LoadDocumentFile(fileName), u"procEventoMDFe", kMdfeNamespace));
}
