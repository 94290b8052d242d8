#pragma once

// What damdfe-imprimir is asked to do, read from its arguments by GNU conventions. Arguments
// are bytes: file names come back exactly as given, whatever the locale thinks of them.

#include <optional>
#include <string>
#include <vector>

enum class OutputKind { Folder, Pdf, Png, Printer, Preview };

struct Options {
  std::vector<std::string> xmlFiles;  // "-" is standard input
  std::string logo;
  std::string protocol;
  int typeIndex = 0;
  int format = 0;
  bool parametersOnly = false;
  bool verifyOnly = false;
  std::string chainFolder;  // roots and intermediates of the signers' certificates
  bool json = false;
  bool quiet = false;
  std::optional<OutputKind> output;
  std::string outputPath;  // file ("-" for standard output), folder or printer name
  std::vector<std::string> eventFiles;
  std::vector<std::string> eventFolders;
};

// A wrong call: said in one line, followed by kHelpHint when it is about how the options are written.
struct UsageError {
  std::string message;
  bool showUsage = true;
};

inline constexpr const char* kHelpHint = "Use \"damdfe-imprimir --help\" para ver as opções.";
inline constexpr const char* kStandardStream = "-";

// The options, or nullopt when the run ends at once (--help and --version answer on standard
// output). Throws UsageError.
std::optional<Options> ParseArguments(const std::vector<std::string>& arguments);
