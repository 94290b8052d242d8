#include "mdfeProc_v300.h"

IXMLMdfeProc LoadMdfeProcDocument(const std::u16string& fileName) {
  return intf_cast<TXMLMdfeProc>(BindRoot<TXMLMdfeProc>(LoadDocumentFile(fileName), u"mdfeProc", kMdfeNamespace));
}
