#pragma once

// A table-driven walk over the text and attribute properties of a document model,
// against a fixture that holds every element once, each value naming its own row.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "XMLDoc.h"

template <class Root>
struct PropertyRow {
  std::string value;  // the fixture's value, and the row's name in failures
  std::function<std::u16string(const Root&)> get;
  std::function<void(const Root&, std::u16string_view)> set;
};

// A row for the property `name` of the element that `owner`, an expression of `r`, reaches.
#define PROPERTY_ROW(owner, name, value)                                      \
  {                                                                           \
    value, [=](const auto& r) { return (owner)->name(); },                    \
        [=](const auto& r, std::u16string_view v) { (owner)->set_##name(v); } \
  }

// Every getter finds its value without creating anything; every setter then changes
// that value alone, with no other element touched or created.
template <class Root>
void WalkProperties(const Root& root, const std::vector<PropertyRow<Root>>& rows) {
  const std::u16string before = root->XML();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(ToUtf8(row.get(root)), row.value);
  }
  EXPECT_EQ(root->XML(), before) << "reading present elements must not change the tree";
  for (const auto& row : rows) row.set(root, FromUtf8(row.value + "*"));
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(ToUtf8(row.get(root)), row.value + "*");
  }
  EXPECT_EQ(root->XML().size(), before.size() + rows.size()) << "a write must change one value only";
}
