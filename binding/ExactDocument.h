#pragma once

// The document exactly as written, for what covers its very text (a digital signature): the
// binding's loader drops the blank text between elements and its reads add missing children.
// The same safety limits as every load.

#include <xercesc/dom/DOMDocument.hpp>

#include <memory>
#include <string>

#include "XMLErrors.h"

struct ReleaseExactDocument {
  void operator()(XERCES_CPP_NAMESPACE::DOMDocument* document) const { document->release(); }
};
using ExactDocument = std::unique_ptr<XERCES_CPP_NAMESPACE::DOMDocument, ReleaseExactDocument>;

// Throws EDOMParseError. Xerces is initialised by then.
ExactDocument ParseExactDocument(const std::string& bytes);
