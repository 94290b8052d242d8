#include "mdfeModalFerroviario_v300.h"

#include "MdfeNamespace.h"

IXMLFerrov LoadFerrovDocument(const std::u16string& fileName) {
  return BindMdfeBlock<TXMLFerrov>(LoadDocumentFile(fileName), u"ferrov");
}

IXMLFerrov NewFerrovDocument() { return BindMdfeBlock<TXMLFerrov>(NewDocument(u"1.0"), u"ferrov"); }
