#pragma once

// The program's own files (templates, fonts) and where they are.

#include <filesystem>

inline constexpr const char* kPortraitTemplate = "DAMDFE_Retrato.rav";
inline constexpr const char* kLandscapeTemplate = "DAMDFE_Paisagem.rav";

// <prefix>/share/damdfe when installed, beside the executable in the build tree.
std::filesystem::path DataDirectory();
