#pragma once

// Which modal a manifest names, and its modal block read as a document of its own.

#include <string_view>

#include "ManifestLoading.h"

// Fills the manifest's modal block: cut out of the file's bytes, written to a private file and
// loaded with its modal's model. A manifest of another modal than road gets an empty road block,
// so that its road settings read as those of a road block without elements. Refuses, with a
// Portuguese reason naming the group, a manifest without "infModal", whose block is not the one
// "ide/modal" names, without any "infMunDescarga", or without its modal's vehicle.
void LoadModalBlock(TLoadedManifest& loaded, std::string_view manifestBytes);
