#pragma once

// Validation of a layout 3.00 manifest against the official schemas.

#include <filesystem>
#include <string>

#include "Verification.h"

namespace verification {

// The grammars are read from the directory once per process; nothing outside it is read. Xerces
// must be initialised (the exact parse does it).
Schema CheckSchema(const std::string& bytes, const std::filesystem::path& directory);

}  // namespace verification
