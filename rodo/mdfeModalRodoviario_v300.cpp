#include "mdfeModalRodoviario_v300.h"

#include "MdfeNamespace.h"

namespace {

IXMLRodo BindRoadBlock(const IXMLDocument& document) {
  return intf_cast<TXMLRodo>(BindRoot<TXMLRodo>(document, u"rodo", kMdfeNamespace));
}

}  // namespace

IXMLRodo LoadRodoDocument(const std::u16string& fileName) { return BindRoadBlock(LoadDocumentFile(fileName)); }

IXMLRodo NewRodoDocument() { return BindRoadBlock(NewDocument(u"1.0")); }
