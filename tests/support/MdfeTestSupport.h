#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "TestFiles.h"
#include "mdfe_v300.h"

// Loads XML text as a manifest through a temporary file.
inline IXMLTMDFe LoadManifestText(const std::string& xml) {
  TempDir dir;
  return LoadMdfeDocument(FromUtf8(dir.Write("manifest.xml", xml).string()));
}

inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no error";
}

inline std::string Xml(const IXMLNode& node) { return ToUtf8(node->XML()); }
