#pragma once

// Events registered after authorisation that change what the DAMDFE must say: cancellation,
// closing and drivers added. Each comes as a "procEventoMDFe" file beside the manifest.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "DamdfeParameters.h"
#include "procEventoMDFe_v300.h"

// What ties an event to a manifest.
struct TManifestIdentity {
  std::u16string accessKey;
  std::u16string environment;  // tpAmb
};
TManifestIdentity IdentityOf(const IXMLTMDFe& manifest);

struct TEventFile {
  std::string path;
  IXMLProcEventoMDFe proc;
  std::string signatureFault = {};  // why its signature does not verify; empty when it does or it has none
  std::u16string AccessKey() const { return proc->eventoMDFe()->infEvento()->chMDFe(); }
};

// Throws std::runtime_error with a Portuguese message naming the file when it cannot be read
// or holds no event of an MDF-e.
TEventFile LoadEventFile(const std::string& path);

// The XML files of the folder (not of its subfolders) that hold an event of the manifest with
// that key, sorted by name. A quick look at the start of each file decides; nothing is parsed.
std::vector<std::string> EventFilesInFolder(const std::filesystem::path& folder, std::u16string_view accessKey);

struct TAddedDriver {
  std::u16string cpf;
  std::u16string name;
  std::u16string date;  // dd/mm/aaaa of the registration
};

struct TManifestEvents {
  std::u16string mark;       // "CANCELADO", "ENCERRADO" or empty
  std::u16string statement;  // when, by which protocol (and where, for a closing)
  std::vector<TAddedDriver> addedDrivers;
  std::vector<std::string> warnings;  // one for each event of this manifest that was ignored
};

// What the events say about the manifest. Only registered events (cStat 135 or 136) of its key
// and environment count; a cancellation wins over a closing. An event of another manifest
// changes nothing and says nothing; one of another type is ignored silently. A signed event
// whose signature does not verify is ignored with a warning.
TManifestEvents EventsFor(const TManifestIdentity& manifest, const std::vector<TEventFile>& events);

// The settings "marca_evento" and "texto_evento".
void SetEventParameters(const TManifestEvents& events, IParameterSink& sink);
