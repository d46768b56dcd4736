#include "panel/panel_manager.h"

#include <tinyxml2.h>

#include <cstring>
#include <new>
#include <utility>

#include "panel/control_factory.h"
#include "panel/event_text.h"
#include "panel/panel_limits.h"
#include "media/stream_wire.h"

namespace vl {
namespace {

std::atomic<PanelManager*> g_current{nullptr};

std::unique_ptr<AttributeMap> ReadAttributes(const tinyxml2::XMLElement& e) {
  auto map = std::make_unique<AttributeMap>();
  for (const tinyxml2::XMLAttribute* a = e.FirstAttribute(); a; a = a->Next()) {
    map->Add(a->Name(), a->Value());
  }
  return map;
}

// A control description's attributes, or null when they pass the bound of one description
// (which then is dropped): every control keeps its map, so this bounds what the tree holds.
std::unique_ptr<AttributeMap> ReadDescription(const tinyxml2::XMLElement& e) {
  int64_t bytes = 0;
  for (const tinyxml2::XMLAttribute* a = e.FirstAttribute(); a; a = a->Next()) {
    bytes +=
        static_cast<int64_t>(std::strlen(a->Name()) + std::strlen(a->Value())) + kAttributeCharge;
    if (bytes > kMaxAttributeBytes) return nullptr;
  }
  return ReadAttributes(e);
}

// The control one description makes, loaded with its attributes; null when the description is
// dropped (past its bound) or names no known class.
std::unique_ptr<DUICtrl> ControlFromDescription(const tinyxml2::XMLElement& e,
                                                IPanelPlatform* platform) {
  std::unique_ptr<AttributeMap> map = ReadDescription(e);
  if (!map) return nullptr;
  std::unique_ptr<DUICtrl> control = CreateControl(map->GetString("class"), platform);
  if (control) control->Load(std::move(map));
  return control;
}

// Control descriptions under an element: its first "ctrl" child and every element after it.
const tinyxml2::XMLElement* FirstDescription(const tinyxml2::XMLElement& e) {
  return e.FirstChildElement("ctrl");
}

}  // namespace

PanelManager::PanelManager(IPanelHost* host, IPanelPlatform* platform)
    : host_(host), platform_(platform), outbox_(EventOutbox::Create()) {
  g_current = this;
}

PanelManager::~PanelManager() {
  PanelManager* self = this;
  g_current.compare_exchange_strong(self, nullptr);
  root_.reset();
}

PanelManager* PanelManager::Current() {
  return g_current.load();
}

IPanelContext* CurrentPanel() {
  return PanelManager::Current();
}

void PanelManager::AddResource(const std::string& name, std::unique_ptr<uint8_t[]> data,
                               int32_t size) {
  resources_.Add(name, std::move(data), size);
}

void PanelManager::SendEvent(const DUICtrl& control, const std::string& name,
                             const EventPairs& extra) {
  const std::string text = BuildEventText(name, control.GetId(), control.GetParentId(), extra);
  auto packet = std::make_unique<MediaPacket>();
  packet->type = kPacketPanel;
  packet->length = static_cast<int32_t>(text.size());
  packet->payload = std::make_unique<uint8_t[]>(text.size());
  std::copy(text.begin(), text.end(), packet->payload.get());
  outbox_->Queue(std::move(packet));
}

PanelManager::Found PanelManager::Find(int32_t id, bool include_root) const {
  if (!root_) return {};
  if (include_root && root_->GetId() == id) return {root_.get(), 1};
  // Without recursion: each control's children are checked as one block, then each child is
  // visited in turn (depth first), which gives the order described above.
  std::vector<Found> stack{{root_.get(), 1}};
  while (!stack.empty()) {
    const Found at = stack.back();
    stack.pop_back();
    const std::vector<DUICtrl*> kids = at.control->GetChildren();
    for (DUICtrl* k : kids) {
      if (k->GetId() == id) return {k, at.depth + 1};
    }
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back({*it, at.depth + 1});
  }
  return {};
}

DUICtrl* PanelManager::FindControl(int32_t id, RootSearch from) const {
  return Find(id, from == RootSearch::kWithRoot).control;
}

int PanelManager::CountControls() const {
  if (!root_) return 0;
  int count = 0;
  std::vector<const DUICtrl*> stack{root_.get()};
  while (!stack.empty()) {
    const DUICtrl* c = stack.back();
    stack.pop_back();
    ++count;
    for (DUICtrl* k : c->OwnedControls()) stack.push_back(k);
  }
  return count;
}

bool PanelManager::ApplyCommand(const char* text) {
  if (!text) return true;
  // Memory can run out on a phone's large command in a 32-bit process: every command builds
  // what it needs before it changes the panel, so the command is dropped and nothing else.
  try {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(text) != tinyxml2::XML_SUCCESS) return true;
    if (const tinyxml2::XMLElement* command = doc.FirstChildElement()) ApplyParsed(*command);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void PanelManager::ApplyParsed(const tinyxml2::XMLElement& command) {
  const std::unique_ptr<AttributeMap> args = ReadAttributes(command);
  const std::string& name = args->GetString("name");
  if (name == "config") {
    BuildPanel(command);
  } else if (name == "insert") {
    Insert(command, *args);
  } else if (name == "delete") {
    Delete(command, *args);
  } else if (name == "modify") {
    Modify(command, *args);
  }
}

std::shared_ptr<const PanelPicture> PanelManager::PictureFor(const std::string& name) {
  if (name.empty() || !platform_) return nullptr;
  std::shared_ptr<const PanelPicture> cached;
  bool undecodable = false;
  if (!resources_.CachedPicture(name, &cached, &undecodable)) return nullptr;
  if (cached || undecodable) return cached;
  PanelResourceStore::Bytes bytes;
  if (!resources_.Get(name, &bytes)) return nullptr;
  std::shared_ptr<const PanelPicture> picture(
      platform_->DecodePicture(bytes.data.get(), static_cast<size_t>(bytes.size), kItemPictureSide)
          .release());
  resources_.RememberPicture(name, bytes.generation, picture);
  return picture;
}

std::vector<std::unique_ptr<DUICtrl>> PanelManager::BuildControls(
    const tinyxml2::XMLElement& element, int depth, int* budget) {
  std::vector<std::unique_ptr<DUICtrl>> built;
  if (depth > kMaxPanelDepth) return built;  // too deep: the whole branch is dropped
  for (const tinyxml2::XMLElement* e = FirstDescription(element); e && *budget > 0;
       e = e->NextSiblingElement()) {
    std::unique_ptr<DUICtrl> control = ControlFromDescription(*e, platform_);
    if (!control) continue;
    --*budget;
    if (!e->NoChildren()) {
      for (auto& child : BuildControls(*e, depth + 1, budget)) {
        control->AddChild(std::move(child), -1);
      }
    }
    built.push_back(std::move(control));
  }
  return built;
}

void PanelManager::BuildPanel(const tinyxml2::XMLElement& root_element) {
  int budget = kMaxPanelControls;
  std::vector<std::unique_ptr<DUICtrl>> built = BuildControls(root_element, 1, &budget);
  if (built.empty()) return;  // the current panel stays
  root_.reset();
  root_ = std::move(built.front());
  if (host_) host_->SetPanelWindow(root_.get());
}

void PanelManager::Insert(const tinyxml2::XMLElement& command, const AttributeMap& args) {
  // The parent and the room left first: descriptions that could not be added are never built.
  int32_t position = args.GetInt("pos_index", -1);
  const int32_t parent_id = args.GetInt("parent_id", -1);
  if (parent_id == -1) return;
  const Found parent = Find(parent_id, false);
  if (!parent.control || parent.depth + 1 > kMaxPanelDepth) return;
  int room = kMaxPanelControls - CountControls();
  std::vector<NewChild> made;
  for (const tinyxml2::XMLElement* e = FirstDescription(command); e && room > 0;
       e = e->NextSiblingElement()) {
    std::unique_ptr<DUICtrl> control = ControlFromDescription(*e, platform_);
    if (!control) continue;
    made.push_back({std::move(control), position});
    if (position < INT32_MAX) ++position;
    --room;  // the panel is full: the rest are dropped
  }
  if (!made.empty()) parent.control->AddChildren(std::move(made));
}

void PanelManager::Delete(const tinyxml2::XMLElement& command, const AttributeMap& args) {
  const int32_t parent_id = args.GetInt("parent_id", -1);
  if (parent_id == -1) return;
  // Removing children never changes which control is found first for the parent (they come
  // after it in the search order), so it is looked up once.
  DUICtrl* parent = FindControl(parent_id, RootSearch::kBelowRoot);
  if (!parent) return;
  std::vector<int32_t> ids;
  for (const tinyxml2::XMLElement* e = FirstDescription(command); e; e = e->NextSiblingElement()) {
    const tinyxml2::XMLAttribute* a = e->FindAttribute("id");
    const int32_t id = a ? ReadInteger(a->Value()) : -1;
    if (id != -1) ids.push_back(id);
  }
  if (!ids.empty()) parent->RemoveChildren(ids);
}

void PanelManager::Modify(const tinyxml2::XMLElement& command, const AttributeMap& args) {
  const int32_t parent_id = args.GetInt("parent_id", -1);
  if (parent_id == -1) return;
  // A modify changes only the parent's children, which come after the parent in the search
  // order: the parent found first stays the same, and is looked up once.
  DUICtrl* parent = FindControl(parent_id, RootSearch::kWithRoot);
  if (!parent) return;
  std::vector<ChildChange> changes;
  for (const tinyxml2::XMLElement* e = FirstDescription(command); e; e = e->NextSiblingElement()) {
    std::unique_ptr<AttributeMap> map = ReadDescription(*e);
    if (!map) continue;
    const int32_t id = map->GetInt("id", -1);
    if (id == -1) continue;
    changes.push_back({id, std::move(map)});
  }
  if (!changes.empty()) parent->ModifyChildren(std::move(changes));
}

}  // namespace vl
