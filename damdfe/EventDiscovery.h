#pragma once

// The events the window takes along with a manifest: those of its key in the manifest's own folder.

#include <string>
#include <vector>

#include "ManifestEvents.h"

struct TEventsBeside {
  std::vector<std::string> files;
  TManifestEvents events;  // what they say
  std::string error;       // an event file that cannot be read: printing would fail on it
};

// Nothing is found for a manifest that cannot be read: its print says why.
TEventsBeside EventsBeside(const std::string& xmlPath);
