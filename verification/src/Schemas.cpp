#include "Schemas.h"

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/XMLGrammarPoolImpl.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/validators/common/Grammar.hpp>

#include <map>
#include <memory>
#include <mutex>

#include "Dom.h"

namespace verification {

namespace {

// Both document elements a manifest file may have, bare and authorised, in one grammar: the
// pool keeps one grammar per namespace.
constexpr char kManifestSchemas[] =
    "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema' targetNamespace='http://www.portalfiscal.inf.br/mdfe'"
    " elementFormDefault='qualified'>"
    "<xs:include schemaLocation='mdfe_v3.00.xsd'/><xs:include schemaLocation='procMDFe_v3.00.xsd'/>"
    "</xs:schema>";
constexpr size_t kMaxViolations = 100;
constexpr unsigned kEntityExpansionLimit = 10000;

class Collector : public xml::ErrorHandler {
 public:
  void warning(const xml::SAXParseException&) override {}
  void error(const xml::SAXParseException& e) override { Record(e); }
  void fatalError(const xml::SAXParseException& e) override { Record(e); }
  void resetErrors() override {}
  std::vector<SchemaViolation> violations;

 private:
  void Record(const xml::SAXParseException& e) {
    if (violations.size() < kMaxViolations) {
      violations.push_back({static_cast<int>(e.getLineNumber()), static_cast<int>(e.getColumnNumber()),
                            Utf8(View(e.getMessage()))});
    }
  }
};

std::unique_ptr<xml::SAX2XMLReader> NewReader(xml::XMLGrammarPool* pool, xml::SecurityManager* security) {
  std::unique_ptr<xml::SAX2XMLReader> reader(
      xml::XMLReaderFactory::createXMLReader(xml::XMLPlatformUtils::fgMemoryManager, pool));
  reader->setFeature(xml::XMLUni::fgSAX2CoreNameSpaces, true);
  reader->setFeature(xml::XMLUni::fgXercesSchema, true);
  reader->setFeature(xml::XMLUni::fgXercesLoadExternalDTD, false);
  reader->setFeature(xml::XMLUni::fgXercesHandleMultipleImports, true);
  reader->setProperty(xml::XMLUni::fgXercesSecurityManager, security);
  return reader;
}

// Loaded once from our own files (their includes resolve beside them); read-only afterwards, so every validation may share it.
struct Grammars {
  std::unique_ptr<xml::XMLGrammarPool> pool;
  std::vector<SchemaViolation> loadErrors;
};

const Grammars& GrammarsIn(const std::filesystem::path& directory) {
  static std::mutex mutex;
  static std::map<std::filesystem::path, Grammars> loaded;
  std::lock_guard lock(mutex);
  auto [at, added] = loaded.try_emplace(directory);
  if (!added) return at->second;
  Grammars& grammars = at->second;
  grammars.pool = std::make_unique<xml::XMLGrammarPoolImpl>(xml::XMLPlatformUtils::fgMemoryManager);
  xml::SecurityManager security;
  security.setEntityExpansionLimit(kEntityExpansionLimit);
  std::unique_ptr<xml::SAX2XMLReader> reader = NewReader(grammars.pool.get(), &security);
  Collector errors;
  reader->setErrorHandler(&errors);
  const std::u16string systemId = FromUtf8((directory / "manifesto.xsd").string());
  xml::MemBufInputSource source(reinterpret_cast<const XMLByte*>(kManifestSchemas), sizeof kManifestSchemas - 1,
                                systemId.c_str());
  try {
    if (!reader->loadGrammar(source, xml::Grammar::SchemaGrammarType, true)) {
      errors.violations.push_back({0, 0, "esquemas não encontrados em " + directory.string()});
    }
  } catch (const xml::XMLException& e) {
    errors.violations.push_back({0, 0, Utf8(View(e.getMessage()))});
  }
  grammars.loadErrors = errors.violations;
  grammars.pool->lockPool();
  return grammars;
}

}  // namespace

Schema CheckSchema(const std::string& bytes, const std::filesystem::path& directory) {
  Schema schema;
  const Grammars& grammars = GrammarsIn(directory);
  if (!grammars.loadErrors.empty()) {
    schema.notCheckedWhy = "os esquemas do leiaute 3.00 não puderam ser lidos: " + grammars.loadErrors.front().message;
    return schema;
  }
  xml::SecurityManager security;
  security.setEntityExpansionLimit(kEntityExpansionLimit);
  std::unique_ptr<xml::SAX2XMLReader> reader = NewReader(grammars.pool.get(), &security);
  reader->setFeature(xml::XMLUni::fgSAX2CoreValidation, true);
  reader->setFeature(xml::XMLUni::fgXercesDynamic, false);
  reader->setFeature(xml::XMLUni::fgXercesUseCachedGrammarInParse, true);
  reader->setFeature(xml::XMLUni::fgXercesLoadSchema, false);  // schemaLocation hints are never followed
  reader->setFeature(xml::XMLUni::fgXercesDisableDefaultEntityResolution, true);
  Collector errors;
  reader->setErrorHandler(&errors);
  xml::MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(), u"");
  try {
    reader->parse(source);
  } catch (const xml::XMLException& e) {
    errors.violations.push_back({0, 0, Utf8(View(e.getMessage()))});
  }
  schema.checked = true;
  schema.violations = std::move(errors.violations);
  return schema;
}

}  // namespace verification
