#pragma once

// Cutting the modal block ("rodo", "aereo", "aquav" or "ferrov") out of a manifest's text into
// a file of its own.

#include <string>
#include <string_view>

#include "PrivateFile.h"

// The text up to its first zero byte with every line ended by CR LF: a line ends at CR LF, a
// lone CR or a lone LF.
std::string WithCrLfLines(std::string_view text);

// The block file's bytes for a manifest's bytes: the part from the first "<" + tag up to the
// first "</infModal", as CR LF lines. A block that inherits its namespace gets the MDF-e
// namespace declared, and a manifest declared in another encoding than UTF-8 gives a file that
// declares that encoding. Memory stays a small multiple of the manifest's size, whatever its
// lines.
std::string CutModalBlock(std::string_view manifestBytes, std::string_view tag);

// The road block: the cut from "<rodo".
std::string CutRoadBlock(std::string_view manifestBytes);

// The road block's file, "Rodo.xml" in a private folder.
class TRoadBlockFile : public TPrivateFile {
 public:
  TRoadBlockFile() : TPrivateFile(QStringLiteral("Rodo.xml")) {}
};
