#pragma once

// The print job: from an MDF-e file to a DAMDFE through the report engine.

#include <exception>
#include <filesystem>
#include <string>

#include "DamdfeParameters.h"
#include "mdfeProc_v300.h"

// The documents a DAMDFE is printed from. A manifest kept with its authorisation
// protocol ("mdfeProc") brings the protocol along.
struct TLoadedManifest {
  IXMLTMDFe manifest;
  IXMLRodo roadBlock;
  IXMLMdfeProc proc;  // null for a bare manifest
};

// Loads the manifest (bare or authorised) and its road block, cut out through a private file.
TLoadedManifest LoadManifestForPrinting(const std::string& xmlPath);

// The protocol number to print: the typed one, else the one the file carries.
std::string ProtocolToPrint(const TLoadedManifest& loaded, const std::string& typedProtocol);

// Every setting the templates get: the 32 fixed ones, then the supplementary ones (to their own
// sink when one is given).
void FillDAMDFEParameters(const TLoadedManifest& loaded, const std::string& logoPath, const std::string& contingency,
                          const std::string& protocol, IParameterSink& sink,
                          IParameterSink* supplementarySink = nullptr);

// The result is empty when the report was run, else "-1" to "-4" with "ERRO:" and a message.
// Never throws. Templates are looked for in DataDirectory().
std::string PrintDAMDFE(const std::string& xmlPath, const std::string& logoPath, const std::string& contingency,
                        const std::string& protocol, int format);

// The same with the templates looked for in the given directory.
std::string PrintDAMDFEWithTemplates(const std::filesystem::path& templateDirectory, const std::string& xmlPath,
                                     const std::string& logoPath, const std::string& contingency,
                                     const std::string& protocol, int format);

std::filesystem::path ExecutableDirectory();

// Where the programs' own files (templates, fonts) are: <prefix>/share/damdfe when installed,
// beside the executable in the build tree.
std::filesystem::path DataDirectory();

// The "-1" result text for an error: English texts of the parser get a Portuguese explanation.
std::string FailureResult(const std::exception& error);

// A file is there: a directory does not count.
bool FileExists(const std::filesystem::path& path);

inline const std::string kPrintErrorPrefix = "-1 ERRO: Erro durante o processo de Impressão do DAMDFE. Verifique: ";
inline constexpr const char* kPortraitTemplate = "DAMDFE_Retrato.rav";
inline constexpr const char* kLandscapeTemplate = "DAMDFE_Paisagem.rav";
inline constexpr const char* kReportName = "Report1";
