#include "mdfe_v300.h"

IXMLTMDFe BindMdfeDocument(const IXMLDocument& document) {
  return intf_cast<TXMLTMDFe>(BindRoot<TXMLTMDFe>(document, u"MDFe", kMdfeNamespace));
}

IXMLTMDFe LoadMdfeDocument(const std::u16string& fileName) { return BindMdfeDocument(LoadDocumentFile(fileName)); }

IXMLTMDFe LoadMdfeDocument(const std::filesystem::path& file) { return BindMdfeDocument(LoadDocumentFile(file)); }

IXMLTMDFe NewMdfeDocument() { return BindMdfeDocument(NewDocument(u"1.0")); }
