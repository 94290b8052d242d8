#include "EventDiscovery.h"

#include <exception>
#include <filesystem>

#include "ManifestLoading.h"

TEventsBeside EventsBeside(const std::string& xmlPath) {
  TEventsBeside found;
  TManifestIdentity identity;
  try {
    identity = ManifestIdentity(xmlPath);
  } catch (const std::exception&) {
    return found;
  }
  std::filesystem::path folder = std::filesystem::path(xmlPath).parent_path();
  found.files = EventFilesInFolder(folder.empty() ? "." : folder, identity.accessKey);
  try {
    std::vector<TEventFile> events;
    for (const std::string& file : found.files) events.push_back(LoadEventFile(file));
    found.events = EventsFor(identity, events);
  } catch (const std::exception& e) {
    found.error = e.what();
  }
  return found;
}
