#pragma once

// The contract between a manifest and the DAMDFE templates: named text parameters.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mdfeModalRodoviario_v300.h"
#include "mdfe_v300.h"

// Receives parameters as 8-bit text (UTF-8); a later value for a name replaces the earlier one.
class IParameterSink {
 public:
  virtual ~IParameterSink() = default;
  virtual void SetParam(const std::string& name, const std::string& value) = 0;
};

// Keeps every setting in order, repeats included.
class TParameterRecorder : public IParameterSink {
 public:
  void SetParam(const std::string& name, const std::string& value) override { settings.emplace_back(name, value); }
  std::vector<std::pair<std::string, std::string>> settings;
};

// Inserts one blank before the character at each 1-based position, positions descending;
// a position past the end appends the blank.
std::u16string InsertBlanks(std::u16string text, std::initializer_list<int> descendingPositions);

// The access key: "Id" from its fifth character on.
std::u16string AccessKey(std::u16string_view id);
std::u16string PrintedAccessKey(std::u16string_view accessKey);

// The 32 settings of the DAMDFE parameters, in their fixed order.
void SetDAMDFEParameters(const IXMLTMDFe& manifest, const IXMLRodo& roadBlock, const std::string& logoPath,
                         const std::string& contingency, const std::string& protocol, IParameterSink& sink);
