// The base of every panel control: id, caption, class, attributes, child controls and the
// window (view) the platform gives it; plus DUIItem (selectable leaves) and DUIMain ("op_area").
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "panel/attribute_map.h"
#include "panel/control_class.h"
#include "panel/panel_platform.h"

namespace vl {

using EventPairs = std::vector<std::pair<std::string, std::string>>;

// A control to add, at the position it is to take (as AddChild's position).
struct NewChild {
  std::unique_ptr<DUICtrl> control;
  int32_t position = -1;
};
// New attributes for the direct child with that id (as ModifyChild's).
struct ChildChange {
  int32_t id = 0;
  std::unique_ptr<AttributeMap> map;
};

class DUICtrl {
 public:
  DUICtrl(ControlClass kind, IPanelPlatform* platform);
  // Destroys the window, the attribute map and every child (and so the whole subtree).
  virtual ~DUICtrl();
  DUICtrl(const DUICtrl&) = delete;
  DUICtrl& operator=(const DUICtrl&) = delete;

  ControlClass kind() const { return kind_; }
  bool IsItem() const { return IsItemClass(kind_); }
  int32_t GetId() const { return id_; }
  int32_t GetParentId() const { return parent_id_; }
  const std::string& name() const { return name_; }
  const std::string& class_name() const { return class_name_; }
  const AttributeMap* attributes() const { return attributes_.get(); }

  // Creates the control's window in `parent` (its creation creates the windows of the children
  // this class places). False when the control has a window already or none can be made, also
  // when its windows would take the panel past its window bound.
  bool Create(ViewParent parent, const PanelRect& rect);
  bool HasWindow() const { return view_ && view_->IsAlive(); }
  IControlView* view() const { return HasWindow() ? view_.get() : nullptr; }
  // Destroys the window only; the control stays in the tree.
  void DestroyWindow();

  // Takes the map and reads "id", "name" and "class"; derived classes then read their own.
  virtual void Load(std::unique_ptr<AttributeMap> map);
  // Takes the child: inserted before position when 0 <= position < children, else appended.
  virtual void AddChild(std::unique_ptr<DUICtrl> child, int32_t position);
  // Destroys the first direct child with that id.
  virtual void RemoveChild(int32_t id);
  // The first direct child with that id loads the map; false (map dropped) when none has it.
  virtual bool ModifyChild(int32_t id, std::unique_ptr<AttributeMap> map);

  // The same for many at once, with the result of doing them one after another, at a cost
  // near linear in their number and the number of children (one layout, indexed look-ups):
  // a command may carry thousands. Each new child takes its own position in turn.
  virtual void AddChildren(std::vector<NewChild> children);
  virtual void RemoveChildren(const std::vector<int32_t>& ids);
  virtual void ModifyChildren(std::vector<ChildChange> changes);
  // The children as commands address them (not owned by the caller).
  virtual std::vector<DUICtrl*> GetChildren() const;
  // Every control this one owns below it, including those commands cannot address.
  virtual std::vector<DUICtrl*> OwnedControls() const { return GetChildren(); }

  // Called by the view from its creation message: create the windows of what this class places.
  virtual void OnWindowCreated() {}

  // For the view: the events a user's input makes (no effect on the panel itself).
  void SendEvent(const char* name, const EventPairs& extra = {}) const;

 protected:
  IPanelPlatform* platform() const { return platform_; }
  std::vector<std::unique_ptr<DUICtrl>>& children() { return children_; }
  const std::vector<std::unique_ptr<DUICtrl>>& children() const { return children_; }
  DUICtrl* FirstChildWithId(int32_t id) const;
  void RepaintWindow();
  // Room for that many more children, so that adding them cannot fail half-way.
  void ReserveChildren(size_t more);
  // Inserts without any layout (the base AddChild).
  void InsertChild(std::unique_ptr<DUICtrl> child, int32_t position);
  // Takes out the first direct child with each id in turn (parent ids set to 0).
  std::vector<std::unique_ptr<DUICtrl>> TakeChildren(const std::vector<int32_t>& ids);
  // The first direct child with each id in turn loads its map.
  void ModifyOwnChildren(std::vector<ChildChange>& changes);
  // Gives the child's window the cell in `parent`: makes the window when it has none, moves it
  // when the cell differs from where it was put last.
  static void PlaceChild(DUICtrl& child, ViewParent parent, const PanelRect& cell);

 private:
  const ControlClass kind_;
  IPanelPlatform* const platform_;
  std::unique_ptr<IControlView> view_;
  int reserved_windows_ = 0;  // counted in the platform's window budget for view_
  PanelRect cell_;            // where the parent last put the window
  int32_t id_ = 0;
  int32_t parent_id_ = 0;
  std::string name_;
  std::string class_name_;
  std::vector<std::unique_ptr<DUICtrl>> children_;
  std::unique_ptr<AttributeMap> attributes_;
};

// A control a list can place and mark as the selected one.
class DUIItem : public DUICtrl {
 public:
  using DUICtrl::DUICtrl;
  bool selected() const { return selected_; }
  // Stores the flag and, when it changed, repaints the window (when there is one).
  virtual void SetSelected(bool selected);

  // Input on the item's window.
  void OnClick() const { SendEvent("click"); }
  void OnDoubleClick() const { SendEvent("doubleclick"); }

 private:
  bool selected_ = false;
};

// "op_area": normally the root; places a tab row above a page switch.
class DUIMain : public DUICtrl {
 public:
  static constexpr int32_t kTabRowHeight = 38;
  explicit DUIMain(IPanelPlatform* platform) : DUICtrl(ControlClass::kOpArea, platform) {}
  void OnWindowCreated() override;
};

}  // namespace vl
