// GDI+ may be used by threads that are never joined (the configuration fetch checks the help
// pictures it downloads). The gate lets such a thread in only while GDI+ is running, and the
// program's shutdown of GDI+ waits until no thread is inside: no thread calls GDI+ after it is
// shut down. The UI thread's own use needs no gate: it ends before the shutdown.
#pragma once

namespace vl::win {

// Held around one piece of GDI+ work on a worker thread; false (and nothing to do) once GDI+ is
// being shut down.
class GdiplusUse {
 public:
  GdiplusUse();
  ~GdiplusUse();
  GdiplusUse(const GdiplusUse&) = delete;
  GdiplusUse& operator=(const GdiplusUse&) = delete;
  explicit operator bool() const { return entered_; }

 private:
  bool entered_;
};

// GDI+ is up: worker threads may enter (the state at start).
void OpenGdiplusGate();
// Refuses new users and waits for those inside to leave; call before GdiplusShutdown.
void CloseGdiplusGate();

}  // namespace vl::win
