#include "mdfeProc_v300.h"

IXMLMdfeProc LoadMdfeProcDocument(const std::u16string& fileName) {
  return LoadMdfeProcDocument(std::filesystem::path(ToUtf8(fileName)));
}

IXMLMdfeProc LoadMdfeProcDocument(const std::filesystem::path& file) {
  return intf_cast<TXMLMdfeProc>(BindRoot<TXMLMdfeProc>(LoadDocumentFile(file), u"mdfeProc", kMdfeNamespace));
}
