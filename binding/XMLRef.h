#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

class TXMLDocument;

// A caller's handle to a bound node. It holds the node and its whole document,
// so any handle keeps the tree valid, whichever node it names.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}  // NOLINT(google-explicit-constructor)
  Ref(std::shared_ptr<TXMLDocument> document, std::shared_ptr<T> node)
      : document_(std::move(document)), node_(std::move(node)) {}

  template <class U>
  requires std::is_convertible_v<U*, T*> Ref(const Ref<U>& other)  // NOLINT(google-explicit-constructor)
      : document_(other.document_), node_(other.node_) {}

  T* operator->() const { return node_.get(); }
  T& operator*() const { return *node_; }
  T* get() const { return node_.get(); }
  explicit operator bool() const { return node_ != nullptr; }

  const std::shared_ptr<TXMLDocument>& document() const { return document_; }
  const std::shared_ptr<T>& shared() const { return node_; }

  template <class U>
  bool operator==(const Ref<U>& other) const {
    return static_cast<const void*>(get()) == static_cast<const void*>(other.get());
  }

 private:
  template <class>
  friend class Ref;

  // Declared first so the node goes before its document.
  std::shared_ptr<TXMLDocument> document_;
  std::shared_ptr<T> node_;
};
