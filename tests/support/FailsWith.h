#pragma once

#include <gmock/gmock.h>

#include <exception>
#include <string>

// Matches a callable that throws an E whose message is exactly this text.
template <class E = std::exception>
auto FailsWith(const std::string& message) {
  return testing::ThrowsMessage<E>(testing::StrEq(message));
}
