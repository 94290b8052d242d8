#pragma once

// What tests of bound documents share: a node's XML text and the binding's exact error texts.

#include <string>

#include "FailsWith.h"
#include "XMLDoc.h"

inline std::string Xml(const IXMLNode& node) { return ToUtf8(node->XML()); }
