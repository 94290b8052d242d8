// The binding's error kinds and their fixed texts.

#include <string>

#include "XMLErrors.h"

EListError::EListError(int index) : EXMLBindError("List index out of bounds (" + std::to_string(index) + ")") {}

EIntfCastError::EIntfCastError() : EXMLBindError("Interface not supported") {}

EVariantTypeCastError::EVariantTypeCastError(const std::string& fromType, const std::string& toType)
    : EXMLBindError("Could not convert variant of type (" + fromType + ") into type (" + toType + ")") {}

EDOMParseError::EDOMParseError(const std::string& reason, int line, const std::string& sourceText)
    : EXMLBindError(reason + "\r\nLine: " + std::to_string(line) + "\r\n" + sourceText),
      reason_(reason),
      line_(line),
      sourceText_(sourceText) {}
