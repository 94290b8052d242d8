#pragma once

#include <stdexcept>
#include <string>

// Error kinds of the binding layer. Messages are UTF-8 and carry the exact texts
// that callers (and the print job's result text) rely on.

class EXMLBindError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EXMLDocError : public EXMLBindError {
 public:
  using EXMLBindError::EXMLBindError;
};

class EListError : public EXMLBindError {
 public:
  explicit EListError(int index);
};

class EIntfCastError : public EXMLBindError {
 public:
  EIntfCastError();
};

class EVariantTypeCastError : public EXMLBindError {
 public:
  EVariantTypeCastError(const std::string& fromType, const std::string& toType);
};

class DOMException : public EXMLBindError {
 public:
  using EXMLBindError::EXMLBindError;
};

class EDOMParseError : public EXMLBindError {
 public:
  EDOMParseError(const std::string& reason, int line, const std::string& sourceText);

  const std::string& Reason() const { return reason_; }
  int Line() const { return line_; }
  const std::string& SourceText() const { return sourceText_; }

 private:
  std::string reason_;
  int line_;
  std::string sourceText_;
};

// Fixed message texts.
inline constexpr const char* kSingleTextNodeMessage = "Element does not contain a single text node";
inline constexpr const char* kItemTagMessage = "ItemTag property is not initialized";
