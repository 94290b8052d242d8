#pragma once

#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "XmlTestSupport.h"
#include "mdfe_v300.h"

// Loads XML text as a manifest through a temporary file.
inline IXMLTMDFe LoadManifestText(const std::string& xml) {
  TempDir dir;
  return LoadMdfeDocument(FromUtf8(dir.Write("manifest.xml", xml).string()));
}
