#pragma once

// What a road inspector checks beyond the 32 fixed settings: QR code, vehicles,
// drivers, ANTT data, insurance, toll vouchers, route, observations and the
// linked documents. Lists are text: one row a line, columns separated by a tab.

#include <string>

#include "ManifestLoading.h"

// Sets the supplementary parameters (names documented in docs/report-templates.md),
// raw as the XML writes them: the templates choose their display formats. The protocol
// is the one printed. A missing optional element gives an empty value or list, never an error.
void SetSupplementaryParameters(const TLoadedManifest& loaded, const std::string& protocol, IParameterSink& sink);
