#include "mdfeModalAquaviario_v300.h"

#include "MdfeNamespace.h"

namespace {

IXMLAquav BindWaterBlock(const IXMLDocument& document) {
  return intf_cast<TXMLAquav>(BindRoot<TXMLAquav>(document, u"aquav", kMdfeNamespace));
}

}  // namespace

IXMLAquav LoadAquavDocument(const std::u16string& fileName) { return BindWaterBlock(LoadDocumentFile(fileName)); }

IXMLAquav NewAquavDocument() { return BindWaterBlock(NewDocument(u"1.0")); }
