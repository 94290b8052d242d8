#pragma once

// What tests of bound documents share: a node's XML text and the binding's exact error texts.

#include <gmock/gmock.h>

#include <exception>
#include <string>

#include "XMLDoc.h"

inline std::string Xml(const IXMLNode& node) { return ToUtf8(node->XML()); }

// Matches a callable that throws an E whose message is exactly this text.
template <class E = std::exception>
auto FailsWith(const std::string& message) {
  return testing::ThrowsMessage<E>(testing::StrEq(message));
}
