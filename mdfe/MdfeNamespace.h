#pragma once

// The target namespace of the MDF-e 3.00 schema. The road block lives in it too,
// so both document models bind their roots with this one value.
inline constexpr char16_t kMdfeNamespace[] = u"http://www.portalfiscal.inf.br/mdfe";
