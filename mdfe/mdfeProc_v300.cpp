#include "mdfeProc_v300.h"

IXMLMdfeProc LoadMdfeProcDocument(const std::u16string& fileName) {
  return LoadMdfeProcDocument(std::filesystem::path(ToUtf8(fileName)));
}

IXMLMdfeProc LoadMdfeProcDocument(const std::filesystem::path& file) {
  return BindMdfeProcDocument(LoadDocumentFile(file));
}

IXMLMdfeProc BindMdfeProcDocument(const IXMLDocument& document) {
  return intf_cast<TXMLMdfeProc>(BindRoot<TXMLMdfeProc>(document, u"mdfeProc", kMdfeNamespace));
}
