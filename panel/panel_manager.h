// The one object that applies the phone's panel commands to the control tree, keeps the
// pictures the phone sends for the controls, and queues the user's events for the phone.
//
// Commands ("config", "insert", "delete", "modify") and events run on the UI thread; resources
// arrive on the stream worker's thread (AddResource); the event sender has its own thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/i_resource_store.h"
#include "panel/dui_ctrl.h"
#include "panel/event_outbox.h"
#include "panel/i_panel_host.h"
#include "panel/panel_resources.h"

namespace tinyxml2 {
class XMLElement;
}

namespace vl {

// Where PanelManager::FindControl starts: at the root itself, or at the root's children (a
// control may reuse the root's id).
enum class RootSearch { kWithRoot, kBelowRoot };

class PanelManager : public IResourceStore, public IPanelContext {
 public:
  // Becomes the current panel manager. Both pointers may be null (no host: a "config" builds a
  // tree that nobody shows; no platform: controls never get windows or pictures).
  PanelManager(IPanelHost* host, IPanelPlatform* platform);
  // Destroys the tree, the resources and the queued events; no longer current.
  ~PanelManager() override;
  PanelManager(const PanelManager&) = delete;
  PanelManager& operator=(const PanelManager&) = delete;

  // The newest panel manager while it lives.
  static PanelManager* Current();

  // Applies one command document (ANSI text). Malformed XML, an unknown command name, a class
  // outside the table, a description past the attribute bound or an id that no control has:
  // that part is dropped, nothing else changes. A command that runs out of memory fails alone
  // (false): a "config" or "insert" leaves the panel as it was, and the program goes on.
  bool ApplyCommand(const char* text);

  // IResourceStore, on the stream worker's thread. A resource that would take the store past
  // its bound is refused.
  void AddResource(const std::string& name, std::unique_ptr<uint8_t[]> data, int32_t size) override;
  // A copy of the named resource's bytes (so a replacement arriving meanwhile cannot change
  // bytes being decoded).
  bool FindResource(const std::string& name, std::vector<uint8_t>* out) const {
    return resources_.Find(name, out);
  }
  // The picture of the named resource for an item, null when there is no such resource or its
  // bytes do not decode. Decoded once per resource (until it is replaced) and shared by every
  // item that shows it; the bytes are read in place, never copied.
  std::shared_ptr<const PanelPicture> PictureFor(const std::string& name) override;

  // Builds the event text for the control and queues it for the phone.
  void SendEvent(const DUICtrl& control, const std::string& name, const EventPairs& extra) override;
  // Writes the events that waited for a connection (the main window calls it on connecting).
  void FlushEvents() { outbox_->Flush(); }

  DUICtrl* root() const { return root_.get(); }
  // The first control with that id in command order: the root (kWithRoot), then the root's
  // children, then for each child in turn the list built the same way from it.
  DUICtrl* FindControl(int32_t id, RootSearch from) const;
  // Controls in the tree, root included.
  int CountControls() const;

  PanelResourceStore& resources() { return resources_; }
  EventOutbox& outbox() { return *outbox_; }

 private:
  struct Found {
    DUICtrl* control = nullptr;
    int depth = 0;  // root = 1
  };
  Found Find(int32_t id, bool include_root) const;
  void BuildPanel(const tinyxml2::XMLElement& root_element);
  // The controls described under `element`, with their nested children, at tree level `depth`;
  // `budget` counts down the controls that may still be made.
  std::vector<std::unique_ptr<DUICtrl>> BuildControls(const tinyxml2::XMLElement& element,
                                                      int depth, int* budget);
  void ApplyParsed(const tinyxml2::XMLElement& command);
  void Insert(const tinyxml2::XMLElement& command, const AttributeMap& args);
  void Delete(const tinyxml2::XMLElement& command, const AttributeMap& args);
  void Modify(const tinyxml2::XMLElement& command, const AttributeMap& args);

  IPanelHost* const host_;
  IPanelPlatform* const platform_;
  std::unique_ptr<DUICtrl> root_;
  PanelResourceStore resources_;
  std::shared_ptr<EventOutbox> outbox_;
};

}  // namespace vl
