// Native builds: Stop simply joins the run's thread (listeners are called on that thread).
#include "media/stream_worker.h"

namespace vl {

void StreamWorker::WaitForRunThread() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace vl
