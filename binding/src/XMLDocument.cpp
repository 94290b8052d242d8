// Documents and the document layer.

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <iterator>

#include "XMLDoc.h"
#include "XercesSupport.h"

using namespace binding_detail;

void DomDocumentRelease::operator()(OpaqueDomDocument* document) const {
  reinterpret_cast<xml::DOMDocument*>(document)->release();
}

TXMLDocument::TXMLDocument() { EnsureXercesInitialized(); }

TXMLDocument::~TXMLDocument() {
  // Tear the wrapper tree down without recursing on its depth.
  std::vector<std::shared_ptr<TXMLNode>> pending;
  if (documentNode_) pending.push_back(std::move(documentNode_));
  while (!pending.empty()) {
    std::shared_ptr<TXMLNode> node = std::move(pending.back());
    pending.pop_back();
    if (node.use_count() == 1 && node->parts_) {
      for (auto& child : node->parts_->children.takeWrappers()) pending.push_back(std::move(child));
      for (auto& attribute : node->parts_->attributes.takeWrappers()) pending.push_back(std::move(attribute));
    }
  }
}

void TXMLDocument::activateEmpty() {
  xml::DOMImplementation* implementation = xml::DOMImplementationRegistry::getDOMImplementation(u"Core");
  if (!implementation) throw DOMException("Microsoft MSXML is not installed");
  dom_.reset(OpaqueDocument(implementation->createDocument()));
}

std::shared_ptr<TXMLNode>& TXMLDocument::documentNode() {
  if (!documentNode_) {
    documentNode_ = std::make_shared<TXMLNode>(NodeInit{Opaque(dom()), this, nullptr});
    documentNode_->parts().registrations = rootRegistrations_;
  }
  return documentNode_;
}

std::u16string_view TXMLDocument::intern(std::u16string_view name) {
  auto found = internedNames_.find(name);
  if (found == internedNames_.end()) found = internedNames_.emplace(name).first;
  return *found;
}

IXMLNode TXMLDocument::DocumentNode() {
  if (!Active()) throw EXMLDocError("No active document");
  return IXMLNode(shared_from_this(), documentNode());
}

IXMLNode TXMLDocument::DocumentElement() {
  IXMLNodeList children = DocumentNode()->ChildList();
  for (int i = children->Count() - 1; i >= 0; --i) {
    IXMLNode child = children->NodeAt(i);
    if (child->NodeType() == TNodeType::ntElement) return child;
  }
  return nullptr;
}

namespace {

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    throw EDOMParseError("unable to open primary document entity '" + path.string() + "'", 0, "");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EDOMParseError("unable to open primary document entity '" + path.string() + "'", 0, "");
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

IXMLDocument LoadDocumentFile(const std::u16string& fileName) {
  return LoadDocumentFile(std::filesystem::path(ToUtf8(fileName)));
}

IXMLDocument LoadDocumentFile(const std::filesystem::path& file) {
  auto document = std::make_shared<TXMLDocument>();
  document->fileName_ = DecodeUtf8(file.native(), std::u16string::npos);
  if (file.empty()) return document;
  std::string bytes = ReadWholeFile(file);
  document->dom_.reset(OpaqueDocument(ParseBytes(bytes, document->fileName_).release()));
  std::u16string declaration = DeclarationData(bytes);
  if (!declaration.empty()) {
    xml::DOMDocument* dom = document->dom();
    dom->insertBefore(dom->createProcessingInstruction(u"xml", declaration.c_str()), dom->getFirstChild());
  }
  return document;
}

IXMLDocument NewDocument(const std::u16string& version) {
  auto document = std::make_shared<TXMLDocument>();
  document->activateEmpty();
  if (!version.empty()) {
    std::u16string data = u"version=\"" + version + u"\"";
    xml::DOMDocument* dom = document->dom();
    dom->appendChild(dom->createProcessingInstruction(u"xml", data.c_str()));
  }
  return document;
}

IXMLNode BindRootClass(const IXMLDocument& document, std::u16string_view tag, WrapperFactory rootClass,
                       std::u16string_view namespaceURI) {
  AddRegistration(document->rootRegistrations_, {document->intern(tag), document->intern(namespaceURI), rootClass});
  document->documentNode_.reset();

  if (!document->Active()) document->activateEmpty();
  xml::DOMDocument* dom = document->dom();
  if (!dom->getDocumentElement()) {
    std::u16string name(tag);
    std::u16string uri(namespaceURI);
    GuardDom([&] {
      xml::DOMElement* root =
          uri.empty() ? dom->createElement(name.c_str()) : dom->createElementNS(uri.c_str(), name.c_str());
      dom->appendChild(root);
      if (!uri.empty()) root->setAttributeNS(kXmlnsNamespace, u"xmlns", uri.c_str());
    });
  }
  return document->DocumentElement();
}
