// Loading files into DOM documents safely: nothing outside the file is read, no document type
// declaration is accepted and nothing recurses on the document's depth.

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/XMLPScanToken.hpp>
#include <xercesc/internal/XMLScanner.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/SecurityManager.hpp>

#include <algorithm>
#include <string>

#include "ExactDocument.h"
#include "XMLDoc.h"
#include "XercesSupport.h"

namespace binding_detail {

namespace {

constexpr unsigned kEntityExpansionLimit = 10000;
// Real manifests nest about ten levels; the scanner's prefix lookup costs the depth
// on every element, so a hostile depth would take minutes.
constexpr int kMaxDepth = 5000;
constexpr size_t kSourceExcerptLength = 40;
constexpr const char* kDocumentTypeRefused = "document type declaration (DOCTYPE) not allowed";

class FirstErrorHandler : public xml::ErrorHandler {
 public:
  void warning(const xml::SAXParseException&) override {}
  void error(const xml::SAXParseException& e) override { record(e); }
  void fatalError(const xml::SAXParseException& e) override { record(e); }
  void resetErrors() override {}

  bool failed = false;
  std::string reason;
  int line = 0;

 private:
  void record(const xml::SAXParseException& e) {
    if (failed) return;
    failed = true;
    reason = ToUtf8(Str(e.getMessage()));
    line = static_cast<int>(e.getLineNumber());
  }
};

constexpr XMLSize_t kMaxAttributes = 1000;

bool IsBlank(const XMLCh* text, XMLSize_t length) {
  return std::all_of(text, text + length, [](XMLCh c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; });
}

// Stops at the first element past a limit. Nothing is thrown through the scanner: the limit is
// recorded and the progressive parse is not continued.
// A text of nothing but blanks (the indentation between elements) never reaches the tree: a blank
// piece is held until the next event shows whether a text goes on (it is sent first) or has ended.
class BoundedParser : public xml::XercesDOMParser {
 public:
  explicit BoundedParser(bool keepBlankText) : keepBlankText_(keepBlankText) {}
  void docCharacters(const XMLCh* const chars, const XMLSize_t length, const bool cdataSection) override {
    if (keepBlankText_) return XercesDOMParser::docCharacters(chars, length, cdataSection);
    const xml::DOMNode* current = getCurrentNode();
    const bool withinText = current && current->getNodeType() == xml::DOMNode::TEXT_NODE;
    if (!cdataSection && !withinText && IsBlank(chars, length)) {
      heldBlank_.append(chars, length);
      return;
    }
    if (!cdataSection && !heldBlank_.empty())
      XercesDOMParser::docCharacters(heldBlank_.data(), heldBlank_.size(), false);
    heldBlank_.clear();
    XercesDOMParser::docCharacters(chars, length, cdataSection);
  }
  void docComment(const XMLCh* const comment) override {
    heldBlank_.clear();
    XercesDOMParser::docComment(comment);
  }
  void docPI(const XMLCh* const target, const XMLCh* const data) override {
    heldBlank_.clear();
    XercesDOMParser::docPI(target, data);
  }
  void startElement(const xml::XMLElementDecl& decl, const unsigned int urlId, const XMLCh* const prefix,
                    const xml::RefVectorOf<xml::XMLAttr>& attributes, const XMLSize_t count, const bool isEmpty,
                    const bool isRoot) override {
    heldBlank_.clear();
    if (!limit_.empty()) return;
    limitLine_ = static_cast<int>(getScanner()->getLocator()->getLineNumber());
    if (++depth_ > kMaxDepth) {
      limit_ = "elements nested deeper than " + std::to_string(kMaxDepth) + " levels";
    } else if (count > kMaxAttributes) {
      limit_ = "more than " + std::to_string(kMaxAttributes) + " attributes on one element";
    } else {
      XercesDOMParser::startElement(decl, urlId, prefix, attributes, count, isEmpty, isRoot);
    }
  }
  void endElement(const xml::XMLElementDecl& decl, const unsigned int urlId, const bool isRoot,
                  const XMLCh* const prefix) override {
    heldBlank_.clear();
    if (!limit_.empty()) return;
    --depth_;
    XercesDOMParser::endElement(decl, urlId, isRoot, prefix);
  }
  // The expansion limit counts references, not bytes: one 100 KB entity referenced a thousand
  // times would still take gigabytes. No MDF-e, event or schema-valid file has a DOCTYPE.
  void RefuseDocumentTypes() { getScanner()->setDisallowDTD(true); }
  const std::string& Limit() const { return limit_; }
  int LimitLine() const { return limitLine_; }

 private:
  bool keepBlankText_;
  int depth_ = 0;
  int limitLine_ = 0;
  std::string limit_;
  std::u16string heldBlank_;
};

std::string_view LineText(const std::string& bytes, int line) {
  if (line < 1) return {};
  size_t start = 0;
  for (int current = 1; current < line; ++current) {
    size_t next = bytes.find_first_of("\r\n", start);
    if (next == std::string::npos) return {};
    start = next + ((bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1);
  }
  size_t end = bytes.find_first_of("\r\n", start);
  return std::string_view(bytes.data() + start, (end == std::string::npos ? bytes.size() : end) - start);
}

std::string SourceLine(const std::string& bytes, int line) {
  return ToUtf8(DecodeUtf8(LineText(bytes, line), kSourceExcerptLength));
}

// The scanner refuses a DOCTYPE as it would any misplaced markup; said for what it is.
void NameRefusedDocumentType(FirstErrorHandler& errors, const std::string& bytes) {
  if (errors.reason == "invalid document structure" &&
      LineText(bytes, errors.line).find("<!DOCTYPE") != std::string_view::npos)
    errors.reason = kDocumentTypeRefused;
}

}  // namespace

XercesPtr<xml::DOMDocument> ParseBytes(const std::string& bytes, const std::u16string& systemId, bool keepBlankText) {
  EnsureXercesInitialized();
  xml::SecurityManager security;
  security.setEntityExpansionLimit(kEntityExpansionLimit);
  FirstErrorHandler errors;
  XercesPtr<xml::DOMDocument> document;
  {
    BoundedParser parser(keepBlankText);
    parser.setValidationScheme(xml::XercesDOMParser::Val_Never);
    parser.setDoNamespaces(true);
    parser.setDoSchema(false);
    parser.setLoadExternalDTD(false);
    parser.setDisableDefaultEntityResolution(true);
    parser.setCreateEntityReferenceNodes(false);
    parser.setSecurityManager(&security);
    parser.RefuseDocumentTypes();
    parser.setErrorHandler(&errors);
    xml::MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(), systemId.c_str());
    try {
      xml::XMLPScanToken token;
      bool more = parser.parseFirst(source, token);
      while (more && parser.Limit().empty() && !errors.failed) more = parser.parseNext(token);
      if (more) parser.parseReset(token);  // stopped before the end
      if (!parser.Limit().empty() && !errors.failed) {
        errors.failed = true;
        errors.reason = parser.Limit();
        errors.line = parser.LimitLine();
      }
    } catch (const xml::XMLException& e) {
      if (!errors.failed) {
        errors.failed = true;
        errors.reason = ToUtf8(Str(e.getMessage()));
        errors.line = 0;  // the exception knows a line of the parser's own source, not of the document
      }
    } catch (const xml::DOMException& e) {
      if (!errors.failed) {
        errors.failed = true;
        errors.reason = ToUtf8(Str(e.getMessage()));
      }
    }
    if (!errors.failed) document.reset(parser.adoptDocument());
  }
  NameRefusedDocumentType(errors, bytes);
  if (errors.failed || !document || !document->getDocumentElement()) {
    if (!errors.failed) {
      errors.reason = "invalid document structure";
      errors.line = 1;
    }
    throw EDOMParseError(errors.reason, errors.line, SourceLine(bytes, errors.line));
  }
  return document;
}

}  // namespace binding_detail

ExactDocument ParseExactDocument(const std::string& bytes) {
  return ExactDocument(binding_detail::ParseBytes(bytes, u"", true).release());
}
