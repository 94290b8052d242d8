#pragma once

#include "XMLDoc.h"

// The target namespace of the MDF-e 3.00 schema. The modal blocks live in it too,
// so every document model binds its root with this one value.
inline constexpr char16_t kMdfeNamespace[] = u"http://www.portalfiscal.inf.br/mdfe";

// Binds a document's element of that tag in the MDF-e namespace to the class T: the road,
// air, water and rail blocks are each a document of their own.
template <class T>
Ref<T> BindMdfeBlock(const IXMLDocument& document, std::u16string_view tag) {
  return intf_cast<T>(BindRoot<T>(document, tag, kMdfeNamespace));
}
