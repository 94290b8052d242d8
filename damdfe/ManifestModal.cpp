#include "ManifestModal.h"

#include <span>
#include <stdexcept>
#include <string>

#include "ModalBlock.h"

namespace {

// An element the sheet cannot do without, and what it is in words.
struct TRequired {
  std::u16string_view name;
  std::string_view words;
};

constexpr TRequired kRoadVehicle[] = {{u"veicTracao", "veículo de tração"}};
constexpr TRequired kAircraft[] = {{u"nac", "nacionalidade da aeronave"}, {u"matr", "matrícula da aeronave"}};
constexpr TRequired kVessel[] = {
    {u"irin", "IRIN da embarcação"}, {u"cEmbar", "código da embarcação"}, {u"xEmbar", "nome da embarcação"}};
constexpr TRequired kTrain[] = {{u"trem", "composição do trem"}, {u"vag", "vagão"}};

enum class TModalKind { Road, Air, Water, Rail };

struct TModal {
  TModalKind kind;
  std::u16string_view code;  // ide/modal
  std::string_view tag;
  std::string_view words;
  const char* fileName;
  std::span<const TRequired> vehicle;
};

constexpr TModal kModals[] = {
    {TModalKind::Road, u"1", "rodo", "rodoviário", "Rodo.xml", kRoadVehicle},
    {TModalKind::Air, u"2", "aereo", "aéreo", "Aereo.xml", kAircraft},
    {TModalKind::Water, u"3", "aquav", "aquaviário", "Aquav.xml", kVessel},
    {TModalKind::Rail, u"4", "ferrov", "ferroviário", "Ferrov.xml", kTrain},
};

[[noreturn]] void Refuse(const std::string& reason) { throw std::runtime_error(reason); }

const TModal* ModalCoded(std::u16string_view code) {
  for (const TModal& modal : kModals) {
    if (modal.code == code) return &modal;
  }
  return nullptr;
}

const TModal* BlockModal(const std::string& block) {
  for (const TModal& modal : kModals) {
    if (modal.tag == block) return &modal;
  }
  return nullptr;
}

// The first element inside "infModal": the schema allows exactly one.
std::u16string BlockName(const IXMLNode& infModal) {
  IXMLNodeList children = infModal->ChildList();
  for (int i = 0; i < children->Count(); ++i) {
    IXMLNode child = children->NodeAt(i);
    if (child->NodeType() == TNodeType::ntElement) return child->LocalName();
  }
  return {};
}

const TModal& NamedModal(const IXMLInfMDFe& infMDFe) {
  const IXMLNode infModal = infMDFe->ChildList()->FindNode(u"infModal");
  if (!infModal) Refuse("o MDF-e não traz o grupo infModal (informações do modal)");
  const std::u16string code = infMDFe->ide()->modal();
  const std::string block = ToUtf8(BlockName(infModal));
  // A manifest that leaves "modal" out is read by its block.
  const TModal* modal = code.empty() ? BlockModal(block) : ModalCoded(code);
  const std::string inside = block.empty() ? "o grupo infModal está vazio" : "o grupo infModal traz " + block;
  if (!modal) {
    Refuse("modal " + ToUtf8(code) +
           " não é um dos modais do MDF-e (1 rodoviário, 2 aéreo, 3 aquaviário, 4 ferroviário), e " + inside);
  }
  if (modal->tag != block) Refuse("modal " + ToUtf8(code) + " (" + std::string(modal->words) + "), mas " + inside);
  return *modal;
}

void RequireUnloadingMunicipality(const IXMLInfMDFe& infMDFe) {
  const IXMLNode infDoc = infMDFe->ChildList()->FindNode(u"infDoc");
  if (!infDoc || !infDoc->ChildList()->FindNode(u"infMunDescarga")) {
    Refuse("o MDF-e não traz nenhum grupo infMunDescarga (município de descarregamento) em infDoc");
  }
}

void RequireVehicle(const TModal& modal, const IXMLNode& block) {
  for (const TRequired& element : modal.vehicle) {
    if (!block->ChildList()->FindNode(element.name)) {
      Refuse("o grupo " + std::string(modal.tag) + " não traz " + ToUtf8(element.name) + " (" +
             std::string(element.words) + ")");
    }
  }
}

template <class Load>
auto LoadCut(std::string_view manifestBytes, const TModal& modal, Load load) {
  const std::string block = CutModalBlock(manifestBytes, modal.tag);
  // Created only now: what the block holds (drivers' names and CPF) spends as little time on disk as can be.
  TPrivateFile file(QString::fromLatin1(modal.fileName));
  file.Write(block);
  auto root = load(FromUtf8(file.Path().string()));  // our own ASCII name
  RequireVehicle(modal, root);
  return root;
}

}  // namespace

void LoadModalBlock(TLoadedManifest& loaded, std::string_view manifestBytes) {
  const IXMLInfMDFe infMDFe = loaded.manifest->infMDFe();
  const TModal& modal = NamedModal(infMDFe);
  RequireUnloadingMunicipality(infMDFe);
  switch (modal.kind) {
    case TModalKind::Road: loaded.roadBlock = LoadCut(manifestBytes, modal, LoadRodoDocument); return;
    case TModalKind::Air: loaded.airBlock = LoadCut(manifestBytes, modal, LoadAereoDocument); break;
    case TModalKind::Water: loaded.waterBlock = LoadCut(manifestBytes, modal, LoadAquavDocument); break;
    case TModalKind::Rail: loaded.railBlock = LoadCut(manifestBytes, modal, LoadFerrovDocument); break;
  }
  loaded.roadBlock = NewRodoDocument();
}
