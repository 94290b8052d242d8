#pragma once

// The XML binding foundation: documents, bound nodes, node lists, collections
// and the property patterns that the document models are written in.

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "XMLErrors.h"
#include "XMLRef.h"

// Xerces's DOM stays inside binding/: elsewhere its nodes and documents are opaque.
struct OpaqueDomNode;
struct OpaqueDomDocument;
struct DomDocumentRelease {
  void operator()(OpaqueDomDocument* document) const;
};

class TXMLNode;
class TXMLNodeList;
class TXMLNodeCollection;

using IXMLNode = Ref<TXMLNode>;
using IXMLNodeList = Ref<TXMLNodeList>;
using IXMLNodeCollection = Ref<TXMLNodeCollection>;
using IXMLDocument = std::shared_ptr<TXMLDocument>;

// What a wrapper is made from: its DOM node, its document and the wrapper whose
// child list created it (none for attributes and the document node).
struct NodeInit {
  OpaqueDomNode* dom = nullptr;
  TXMLDocument* document = nullptr;
  TXMLNode* parent = nullptr;
};

using WrapperFactory = std::shared_ptr<TXMLNode> (*)(const NodeInit&);

template <class T>
std::shared_ptr<TXMLNode> MakeWrapper(const NodeInit& init) {
  return std::make_shared<T>(init);
}

// Answers whether a wrapper supports an interface (is of a bound class).
using InterfaceCheck = bool (*)(const TXMLNode*);

template <class T>
bool Supports(const TXMLNode* node) {
  return dynamic_cast<const T*>(node) != nullptr;
}

// Views into the document's interned names: wrappers are many, distinct tags few.
struct TNodeClassInfo {
  std::u16string_view tag;
  // Empty: the registering element's own namespace, resolved when matching.
  std::u16string_view namespaceURI;
  WrapperFactory factory;
};

enum class TNodeType { ntElement, ntAttribute, ntText, ntCData, ntProcessingInstr, ntComment, ntDocument, ntOther };

enum TXMLDocOption : unsigned {
  doNodeAutoCreate = 1u << 0,
  doNodeAutoIndent = 1u << 1,
  doAttrNull = 1u << 2,
  doAutoPrefix = 1u << 3,
  doNamespaceDecl = 1u << 4,
  doAutoSave = 1u << 5,
};

enum TParseOption : unsigned {
  poResolveExternals = 1u << 0,
  poValidateOnParse = 1u << 1,
  poPreserveWhiteSpace = 1u << 2,
  poAsyncLoad = 1u << 3,
};

// Converts between the documents' UTF-16 text and UTF-8, the 8-bit text of this platform.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// The encoding named by the XML declaration the bytes begin with (after an optional byte-order
// mark), read exactly as loading reads it; empty when there is none.
std::u16string DeclaredEncoding(std::string_view bytes);

// The ordered wrappers of an element's children (of every node kind) or of its
// attributes. The nodes are listed on first use (again after an invalidation); a
// node's wrapper is made when it is first handed out or tested, and then kept.
class TXMLNodeList {
 public:
  enum class Kind { Children, Attributes };

  TXMLNodeList(TXMLNode& owner, Kind kind) : owner_(owner), kind_(kind) {}
  TXMLNodeList(const TXMLNodeList&) = delete;
  TXMLNodeList& operator=(const TXMLNodeList&) = delete;

  int Count();
  IXMLNode NodeAt(int index);
  // The name lookup with the missing-child rule.
  IXMLNode NodeByName(std::u16string_view name);
  // The same lookup without creating anything: null when absent.
  IXMLNode FindNode(std::u16string_view name);

 private:
  friend class TXMLNode;
  friend class TXMLNodeCollection;
  friend class TXMLDocument;

  struct Slot {
    OpaqueDomNode* dom;
    std::shared_ptr<TXMLNode> wrapper;
  };

  void ensureBuilt();
  void invalidate();
  int indexOf(const TXMLNode* node);
  // The index of the first node the name matches, or -1.
  int findMatch(std::u16string_view name);
  const std::shared_ptr<TXMLNode>& wrapperAt(int index);
  // Releases the wrappers without recursion into their subtrees (document teardown).
  std::vector<std::shared_ptr<TXMLNode>> takeWrappers();

  TXMLNode& owner_;
  Kind kind_;
  bool built_ = false;
  std::vector<Slot> slots_;
};

// A list class that an element hosts, made when first asked for: most items never have
// theirs read. The tag is not copied (the bound classes give literals).
template <class L>
class THostedList {
 public:
  explicit THostedList(std::u16string_view itemTag) : itemTag_(itemTag) {}

 private:
  friend class TXMLNode;
  std::u16string_view itemTag_;
  L* list_ = nullptr;
};

// A bound node: the wrapper of one DOM node (element, attribute, text or document).
class TXMLNode : public std::enable_shared_from_this<TXMLNode> {
 public:
  explicit TXMLNode(const NodeInit& init);
  virtual ~TXMLNode();
  TXMLNode(const TXMLNode&) = delete;
  TXMLNode& operator=(const TXMLNode&) = delete;

  IXMLNodeList ChildList();
  IXMLNodeList AttributeList();
  std::u16string ReadText();
  void WriteText(std::u16string_view text);
  std::optional<std::u16string> ReadValue();
  void WriteAttribute(std::u16string_view name, std::u16string_view text);
  void RegisterChildClass(std::u16string_view tag, WrapperFactory factory, std::u16string_view namespaceURI = u"");
  template <class T>
  void RegisterChildClass(std::u16string_view tag, std::u16string_view namespaceURI = u"") {
    RegisterChildClass(tag, &MakeWrapper<T>, namespaceURI);
  }
  template <class L>
  L* HostCollection(std::u16string_view itemTag, std::u16string_view itemNamespaceURI = u"");

  std::u16string NodeName() const;
  std::u16string LocalName() const;
  std::u16string NamespaceURI() const;
  std::u16string Prefix() const;
  TNodeType NodeType() const;
  bool IsDocumentElement() const;
  TXMLDocument& OwnerDocument() const { return *document_; }
  // The node and its content as XML text.
  std::u16string XML() const;

 protected:
  // Property patterns: each accessor of a bound class is one call of these.
  std::u16string TextProperty(std::u16string_view name);
  void SetTextProperty(std::u16string_view name, std::u16string_view value);
  std::u16string AttributeProperty(std::u16string_view name);
  void SetAttributeProperty(std::u16string_view name, std::u16string_view value);
  template <class T>
  Ref<T> ComplexProperty(std::u16string_view name);
  template <class L>
  Ref<L> CollectionProperty(L* list);
  template <class L>
  Ref<L> CollectionProperty(THostedList<L>& hosted);

  // A handle to something that lives as long as this wrapper.
  template <class T>
  Ref<T> HandleTo(T* part) {
    return Ref<T>(documentHandle(), std::shared_ptr<T>(keepAlive(), part));
  }
  IXMLNode HandleTo(const std::shared_ptr<TXMLNode>& node) { return IXMLNode(documentHandle(), node); }

  // The element whose tree this wrapper stands for: the host for a list class.
  TXMLNode& element() { return host_ ? *host_ : *this; }

 private:
  friend class TXMLNodeList;
  friend class TXMLNodeCollection;
  friend class TXMLDocument;
  friend IXMLNode BindRootClass(const IXMLDocument&, std::u16string_view, WrapperFactory, std::u16string_view);

  // The Xerces node, known only to binding/'s sources.
  auto dom() const;
  std::shared_ptr<TXMLNode> keepAlive();
  std::shared_ptr<TXMLDocument> documentHandle() const;
  WrapperFactory wrapperClassFor(OpaqueDomNode* child) const;
  std::shared_ptr<TXMLNode> wrap(OpaqueDomNode* child);
  OpaqueDomNode* singleTextChild();
  std::shared_ptr<TXMLNode> createChildElement(std::u16string_view name);
  std::shared_ptr<TXMLNode> createAttribute(std::u16string_view name);
  // Positions count every child (text and comments too), so a new item lands where the caller sees it.
  std::shared_ptr<TXMLNode> insertChild(OpaqueDomNode* node, int position);
  void removeChild(const TXMLNode* child);
  void childrenInvalidated();
  void addObserver(TXMLNodeCollection* collection) { parts().observers.push_back(collection); }
  void hostList(std::unique_ptr<TXMLNodeCollection> list);

  // What only elements with bound classes, lists or readers of their children need; most
  // wrappers (text, leaf elements) never make it.
  struct Parts {
    explicit Parts(TXMLNode& owner)
        : children(owner, TXMLNodeList::Kind::Children), attributes(owner, TXMLNodeList::Kind::Attributes) {}
    std::vector<TNodeClassInfo> registrations;
    TXMLNodeList children;
    TXMLNodeList attributes;
    std::vector<std::unique_ptr<TXMLNodeCollection>> hostedLists;
    std::vector<TXMLNodeCollection*> observers;
  };
  Parts& parts();
  TXMLNodeList& children() { return parts().children; }

  OpaqueDomNode* dom_;
  TXMLDocument* document_;
  TXMLNode* host_ = nullptr;
  std::unique_ptr<Parts> parts_;
};

// A typed cast: succeeds exactly for wrappers of the class, else "Interface not supported".
template <class T>
Ref<T> intf_cast(const IXMLNode& node) {
  auto typed = std::dynamic_pointer_cast<T>(node.shared());
  if (!typed) throw EIntfCastError();
  return Ref<T>(node.document(), std::move(typed));
}

// Repeated child elements presented as an indexed collection, kept in document order.
class TXMLNodeCollection : public TXMLNode {
 public:
  explicit TXMLNodeCollection(const NodeInit& init);

  int ItemCount();
  IXMLNode ItemAt(int index);
  void ClearItems();
  void DeleteItem(int index);
  int RemoveItem(const IXMLNode& item);
  IXMLNode NewItem(int position);

 protected:
  void SetItemTag(std::u16string_view tag) { itemTag_ = tag; }
  template <class T>
  void SetItemInterface() {
    itemInterface_ = &Supports<T>;
  }
  template <class T>
  Ref<T> TypedItemAt(int index) {
    return intf_cast<T>(ItemAt(index));
  }
  template <class T>
  Ref<T> TypedNewItem(int position) {
    return intf_cast<T>(NewItem(position));
  }

 private:
  friend class TXMLNode;

  // Tests the DOM node's name before making its wrapper.
  bool isItemAt(TXMLNodeList& children, int index) const;
  void ensureItems();
  void childInserted(int childIndex);
  void childRemoved(const TXMLNode* child);
  void childrenInvalidated() { itemsBuilt_ = false; }
  std::u16string newItemNodeName(std::u16string& declarationPrefix, bool& declared);

  std::u16string itemTag_;
  std::u16string itemNamespaceURI_;
  InterfaceCheck itemInterface_ = &Supports<TXMLNode>;
  bool itemsBuilt_ = false;
  std::vector<TXMLNode*> items_;
};

// A list class: the collection of one repeated child of its host element.
template <class T>
class TXMLItemList : public TXMLNodeCollection {
 public:
  using ItemClass = T;
  using TXMLNodeCollection::TXMLNodeCollection;

  Ref<T> Add() { return TypedNewItem<T>(-1); }
  Ref<T> Insert(int index) { return TypedNewItem<T>(index); }
  Ref<T> Item(int index) { return TypedItemAt<T>(index); }

  // Walks the items in document order, as Item(0) to Item(ItemCount() - 1) would.
  class Iterator {
   public:
    Iterator(TXMLItemList& list, int index) : list_(&list), index_(index) {}
    Ref<T> operator*() const { return list_->Item(index_); }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator==(const Iterator& other) const = default;

   private:
    TXMLItemList* list_;
    int index_;
  };
  Iterator begin() { return Iterator(*this, 0); }
  Iterator end() { return Iterator(*this, ItemCount()); }
};

// A text list: items are plain elements, each standing for one text value.
class TXMLTextList : public TXMLNodeCollection {
 public:
  using ItemClass = TXMLNode;
  using TXMLNodeCollection::TXMLNodeCollection;

  IXMLNode Add(std::u16string_view text);
  IXMLNode Insert(int index, std::u16string_view text);
  std::u16string Item(int index);
};

// The document: a DOM document and its bound document node.
class TXMLDocument : public std::enable_shared_from_this<TXMLDocument> {
 public:
  TXMLDocument();
  ~TXMLDocument();
  TXMLDocument(const TXMLDocument&) = delete;
  TXMLDocument& operator=(const TXMLDocument&) = delete;

  bool Active() const { return dom_ != nullptr; }
  const std::u16string& FileName() const { return fileName_; }
  unsigned Options() const { return doNodeAutoCreate | doAttrNull | doAutoPrefix | doNamespaceDecl; }
  unsigned ParseOptions() const { return 0; }
  IXMLNode DocumentNode();
  IXMLNode DocumentElement();

 private:
  friend class TXMLNode;
  friend IXMLDocument LoadDocumentFile(const std::filesystem::path&);
  friend IXMLDocument NewDocument(const std::u16string&);
  friend IXMLNode BindRootClass(const IXMLDocument&, std::u16string_view, WrapperFactory, std::u16string_view);

  auto dom() const;
  void activateEmpty();
  std::shared_ptr<TXMLNode>& documentNode();
  // The one copy of a registered name, alive as long as the document.
  std::u16string_view intern(std::u16string_view name);

  std::unique_ptr<OpaqueDomDocument, DomDocumentRelease> dom_;
  std::u16string fileName_;
  std::set<std::u16string, std::less<>> internedNames_;
  std::vector<TNodeClassInfo> rootRegistrations_;
  std::shared_ptr<TXMLNode> documentNode_;
};

// Document layer.
IXMLDocument LoadDocumentFile(const std::u16string& fileName);
// The same for a path as the system has it: on Linux a name is bytes, in whatever encoding.
IXMLDocument LoadDocumentFile(const std::filesystem::path& file);
IXMLDocument NewDocument(const std::u16string& version);
IXMLNode BindRootClass(const IXMLDocument& document, std::u16string_view tag, WrapperFactory rootClass,
                       std::u16string_view namespaceURI);
template <class T>
IXMLNode BindRoot(const IXMLDocument& document, std::u16string_view tag, std::u16string_view namespaceURI) {
  return BindRootClass(document, tag, &MakeWrapper<T>, namespaceURI);
}

// Read-only access to what the bound classes do not bind: nothing is created, nothing fails.
// The text and CDATA directly inside an element; empty for a null node.
std::u16string TextContent(const IXMLNode& element);
// The text content of the first child of that name; empty when the parent or the child is missing.
std::u16string ChildTextContent(const IXMLNode& parent, std::u16string_view name);
// Every child element of that local name, in document order, where a bound class reaches only the first.
std::vector<IXMLNode> ChildElementsNamed(const IXMLNode& parent, std::u16string_view name);

// --- templates ---

template <class T>
Ref<T> TXMLNode::ComplexProperty(std::u16string_view name) {
  return intf_cast<T>(ChildList()->NodeByName(name));
}

template <class L>
Ref<L> TXMLNode::CollectionProperty(L* list) {
  return HandleTo(list);
}

template <class L>
Ref<L> TXMLNode::CollectionProperty(THostedList<L>& hosted) {
  if (!hosted.list_) hosted.list_ = HostCollection<L>(hosted.itemTag_);
  return HandleTo(hosted.list_);
}

template <class L>
L* TXMLNode::HostCollection(std::u16string_view itemTag, std::u16string_view itemNamespaceURI) {
  auto list = std::make_unique<L>(NodeInit{dom_, document_, nullptr});
  L* raw = list.get();
  raw->host_ = this;
  raw->itemTag_ = itemTag;
  raw->itemInterface_ = &Supports<typename L::ItemClass>;
  raw->itemNamespaceURI_ = itemNamespaceURI.empty() ? NamespaceURI() : std::u16string(itemNamespaceURI);
  hostList(std::move(list));
  return raw;
}
