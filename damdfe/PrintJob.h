#pragma once

// The print job: from an MDF-e file to a DAMDFE through the report engine.

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ReportOutput.h"
#include "Verification.h"

// What to print: everything the caller chooses except where the output goes.
struct TPrintRequest {
  std::string xmlPath;
  std::string logoPath;
  std::string contingency;
  std::string protocol;
  int format = 0;                       // 0 portrait, else landscape
  std::vector<std::string> eventFiles;  // procEventoMDFe files; those of another manifest change nothing
  std::optional<verification::Verdict> verdict = std::nullopt;  // when the host has verified the file already
};

// The result is empty when the report was run, else "-1" to "-4" with "ERRO:" and a message.
// Never throws. Templates are looked for in DataDirectory(). The host owns the Qt application
// the output needs.
std::string PrintDAMDFE(const TPrintRequest& request, const ReportOutput& output);

// The same with the templates looked for in the given directory.
std::string PrintDAMDFE(const TPrintRequest& request, const ReportOutput& output,
                        const std::filesystem::path& templateDirectory);

// The same, also telling how many sheets the report had (0 when it did not run).
std::string PrintDAMDFE(const TPrintRequest& request, const ReportOutput& output, int& sheets);

// To the print preview, without event files.
std::string PrintDAMDFE(const std::string& xmlPath, const std::string& logoPath, const std::string& contingency,
                        const std::string& protocol, int format);

// For hosts that print many documents in one process: memory freed after a document stays for
// the next instead of going back to the system, which would fault every page in again. A single
// document has no next one, and its peak is lower without this.
void KeepFreedMemoryBetweenJobs();

// The "-1" result text for an error: English texts of the parser get a Portuguese explanation.
std::string FailureResult(const std::exception& error);

inline const std::string kPrintErrorPrefix = "-1 ERRO: Erro durante o processo de Impressão do DAMDFE. Verifique: ";
