#include "mdfeModalFerroviario_v300.h"

#include "MdfeNamespace.h"

namespace {

IXMLFerrov BindRailBlock(const IXMLDocument& document) {
  return intf_cast<TXMLFerrov>(BindRoot<TXMLFerrov>(document, u"ferrov", kMdfeNamespace));
}

}  // namespace

IXMLFerrov LoadFerrovDocument(const std::u16string& fileName) { return BindRailBlock(LoadDocumentFile(fileName)); }

IXMLFerrov NewFerrovDocument() { return BindRailBlock(NewDocument(u"1.0")); }
