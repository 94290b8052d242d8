#include "mdfe_v300.h"

namespace {

IXMLTMDFe BindManifest(const IXMLDocument& document) {
  return intf_cast<TXMLTMDFe>(BindRoot<TXMLTMDFe>(document, u"MDFe", kMdfeNamespace));
}

}  // namespace

IXMLTMDFe LoadMdfeDocument(const std::u16string& fileName) { return BindManifest(LoadDocumentFile(fileName)); }

IXMLTMDFe LoadMdfeDocument(const std::filesystem::path& file) { return BindManifest(LoadDocumentFile(file)); }

IXMLTMDFe NewMdfeDocument() { return BindManifest(NewDocument(u"1.0")); }
