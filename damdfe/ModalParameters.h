#pragma once

// The settings of the modal block beside the road one: which modal the manifest is of, and
// the aircraft, the vessel or the train with its wagons.

#include "ManifestLoading.h"

// Sets the modal parameters (names documented in docs/report-templates.md), raw as the XML
// writes them. Every name is set for every manifest: those of the other modals are empty.
void SetModalParameters(const TLoadedManifest& loaded, IParameterSink& sink);
