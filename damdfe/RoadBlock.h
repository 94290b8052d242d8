#pragma once

// Cutting the road-transport block ("rodo") out of a manifest's text into a file of its own.

#include <string>
#include <string_view>
#include <vector>

#include "PrivateFile.h"

// The text as 8-bit lines: a line ends at CR LF, a lone CR or a lone LF; the text ends at its
// first zero byte.
std::vector<std::string> SplitLines(std::string_view text);

// The road block file's bytes for a manifest's bytes: the part from the first "<rodo" up to the
// first "</infModal", as CR LF lines. A "rodo" that inherits its namespace gets the MDF-e
// namespace declared, and a manifest declared in another encoding than UTF-8 gives a file that
// declares that encoding.
std::string CutRoadBlock(std::string_view manifestBytes);

// The road block's file, "Rodo.xml" in a private folder.
class TRoadBlockFile : public TPrivateFile {
 public:
  TRoadBlockFile() : TPrivateFile(QStringLiteral("Rodo.xml")) {}
};
