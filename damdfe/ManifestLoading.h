#pragma once

// From an MDF-e file to what the templates are filled with.

#include <string>
#include <vector>

#include "DamdfeParameters.h"
#include "ManifestEvents.h"
#include "mdfeModalAereo_v300.h"
#include "mdfeModalAquaviario_v300.h"
#include "mdfeModalFerroviario_v300.h"
#include "Verification.h"
#include "mdfeProc_v300.h"

// The documents a DAMDFE is printed from. A manifest kept with its authorisation
// protocol ("mdfeProc") brings the protocol along.
struct TLoadedManifest {
  IXMLTMDFe manifest;
  IXMLRodo roadBlock;  // empty for the other modals
  IXMLAereo airBlock;  // each of these null unless the manifest is of its modal
  IXMLAquav waterBlock;
  IXMLFerrov railBlock;
  IXMLMdfeProc proc;  // null for a bare manifest
  TManifestEvents events;
  verification::Verdict verdict;  // of the file as read, schema aside
};

// Loads the manifest (bare or authorised), its modal block, cut out through a private file, what
// the event files say about it and whether it verifies (unless the caller knows already).
TLoadedManifest LoadManifestForPrinting(const std::string& xmlPath, const std::vector<std::string>& eventFiles = {},
                                        const verification::Verdict* knownVerdict = nullptr);

// The key and environment of a manifest file (bare or authorised).
TManifestIdentity ManifestIdentity(const std::string& xmlPath);

// The protocol number to print: the one the file's authorisation carries, else the typed one.
std::string ProtocolToPrint(const TLoadedManifest& loaded, const std::string& typedProtocol);

// Why a typed protocol cannot be printed (it differs from the authorised one); empty when it can.
std::string ProtocolConflict(const TLoadedManifest& loaded, const std::string& typedProtocol);

// Every setting the templates get: the 32 fixed ones, then the supplementary and the event ones
// (to their own sink when one is given).
void FillDAMDFEParameters(const TLoadedManifest& loaded, const std::string& logoPath, const std::string& contingency,
                          const std::string& protocol, IParameterSink& sink,
                          IParameterSink* supplementarySink = nullptr);
