// What a control asks of the panel it belongs to: to send an event to the phone, and the decoded
// picture of a resource. The panel manager is the one implementation.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "panel/panel_picture.h"

namespace vl {

class DUICtrl;

// An event's parameters beyond its name, id and parent id, in order.
using EventPairs = std::vector<std::pair<std::string, std::string>>;

class IPanelContext {
 public:
  // Builds the event text for the control and queues it for the phone.
  virtual void SendEvent(const DUICtrl& control, const std::string& name,
                         const EventPairs& extra) = 0;
  // The picture of the named resource for an item, null when there is none.
  virtual std::shared_ptr<const PanelPicture> PictureFor(const std::string& name) = 0;

 protected:
  ~IPanelContext() = default;
};

}  // namespace vl
