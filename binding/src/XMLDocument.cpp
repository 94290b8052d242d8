// Documents and the document layer.

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <iterator>

#include "XMLDoc.h"
#include "XercesSupport.h"

using namespace binding_detail;

TXMLDocument::TXMLDocument() { EnsureXercesInitialized(); }

TXMLDocument::~TXMLDocument() {
  // Tear the wrapper tree down without recursing on its depth.
  std::vector<std::shared_ptr<TXMLNode>> pending;
  if (documentNode_) pending.push_back(std::move(documentNode_));
  while (!pending.empty()) {
    std::shared_ptr<TXMLNode> node = std::move(pending.back());
    pending.pop_back();
    if (node.use_count() == 1) {
      for (auto& child : node->children_.takeWrappers()) pending.push_back(std::move(child));
      for (auto& attribute : node->attributes_.takeWrappers()) pending.push_back(std::move(attribute));
    }
  }
  if (dom_) dom_->release();
}

void TXMLDocument::activateEmpty() {
  xml::DOMImplementation* implementation = xml::DOMImplementationRegistry::getDOMImplementation(u"Core");
  if (!implementation) throw DOMException("Microsoft MSXML is not installed");
  dom_ = implementation->createDocument();
}

std::shared_ptr<TXMLNode>& TXMLDocument::documentNode() {
  if (!documentNode_) {
    documentNode_ = std::make_shared<TXMLNode>(NodeInit{dom_, this, nullptr});
    documentNode_->registrations_ = rootRegistrations_;
  }
  return documentNode_;
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
  document->fileName_ =
      binding_detail::DecodeUtf8(file.native(), std::u16string::npos, binding_detail::InvalidUtf8::Latin1);
  if (file.empty()) return document;
  std::string bytes = ReadWholeFile(file);
  document->dom_ = ParseBytes(bytes, document->fileName_);
  std::u16string declaration = DeclarationData(bytes);
  if (!declaration.empty()) {
    xml::DOMDocument* dom = document->dom_;
    dom->insertBefore(dom->createProcessingInstruction(u"xml", declaration.c_str()), dom->getFirstChild());
  }
  return document;
}

IXMLDocument NewDocument(const std::u16string& version) {
  auto document = std::make_shared<TXMLDocument>();
  document->activateEmpty();
  if (!version.empty()) {
    std::u16string data = u"version=\"" + version + u"\"";
    document->dom_->appendChild(document->dom_->createProcessingInstruction(u"xml", data.c_str()));
  }
  return document;
}

IXMLNode BindRootClass(const IXMLDocument& document, std::u16string_view tag, WrapperFactory rootClass,
                       std::u16string_view namespaceURI) {
  AddRegistration(document->rootRegistrations_, tag, namespaceURI, rootClass);
  document->documentNode_.reset();

  if (!document->Active()) document->activateEmpty();
  xml::DOMDocument* dom = document->dom_;
  if (!dom->getDocumentElement()) {
    std::u16string name(tag);
    std::u16string uri(namespaceURI);
    try {
      xml::DOMElement* root =
          uri.empty() ? dom->createElement(name.c_str()) : dom->createElementNS(uri.c_str(), name.c_str());
      dom->appendChild(root);
      if (!uri.empty()) root->setAttributeNS(kXmlnsNamespace, u"xmlns", uri.c_str());
    } catch (const xml::DOMException& e) {
      throw EXMLDocError(ToUtf8(Str(e.getMessage())));
    }
  }
  return document->DocumentElement();
}

// --- text conversion ---

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (code < 0x80) {
      out.push_back(char(code));
    } else if (code < 0x800) {
      out.push_back(char(0xC0 | (code >> 6)));
      out.push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(char(0xE0 | (code >> 12)));
      out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(char(0x80 | (code & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (code >> 18)));
      out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(char(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  return binding_detail::DecodeUtf8(text, std::u16string::npos, binding_detail::InvalidUtf8::Replace);
}

namespace binding_detail {

std::u16string DecodeUtf8(std::string_view bytes, size_t maxUnits, InvalidUtf8 invalid) {
  std::u16string out;
  out.reserve(std::min(bytes.size(), maxUnits));
  size_t i = 0;
  while (i < bytes.size() && out.size() < maxUnits) {
    auto lead = static_cast<unsigned char>(bytes[i]);
    int extra = (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : 0;
    char32_t code = lead < 0x80 || invalid == InvalidUtf8::Latin1 ? lead : 0xFFFD;
    size_t length = 1;
    if (extra > 0 && i + extra < bytes.size()) {
      char32_t decoded = lead & (0x3F >> extra);
      bool valid = true;
      for (int k = 1; k <= extra && valid; ++k) {
        auto next = static_cast<unsigned char>(bytes[i + k]);
        valid = (next & 0xC0) == 0x80;
        decoded = (decoded << 6) | (next & 0x3F);
      }
      if (valid) {
        code = decoded;
        length = extra + 1;
      }
    }
    i += length;
    if (code >= 0x10000) {
      if (out.size() + 2 > maxUnits) break;
      code -= 0x10000;
      out.push_back(char16_t(0xD800 + (code >> 10)));
      out.push_back(char16_t(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(char16_t(code));
    }
  }
  return out;
}

}  // namespace binding_detail
