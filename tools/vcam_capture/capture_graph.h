// Opening a video input device by its friendly name and running it in a graph
// camera -> SampleGrabber -> NullRenderer, recording every sample's time stamps and arrival
// time and keeping the bytes of chosen samples. Used by the capture tool and the camera tests.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "common/win/com_ptr.h"
#include "common/win/wall_clock.h"

// Declared by no platform header, defined in libstrmiids.
extern "C" const CLSID CLSID_SampleGrabber;
extern "C" const CLSID CLSID_NullRenderer;

namespace vl::tools {

struct VideoDevice {
  std::wstring name;
  vl::win::ComPtr<IMoniker> moniker;
};

// Video input devices in the system device enumerator's order.
HRESULT ListVideoDevices(std::vector<VideoDevice>* devices);
// The device named `name` as a filter; VFW_E_NOT_FOUND when no device has that name.
HRESULT OpenVideoDevice(const std::wstring& name, vl::win::ComPtr<IBaseFilter>* filter);

struct SampleRecord {
  bool has_time = false;
  int64_t start = 0;
  int64_t stop = 0;
  int64_t arrival_us = 0;  // since the first sample after the last Run
  int64_t wall_us = 0;     // the machine's wall clock at arrival: microseconds since 1970
  long length = 0;
  int32_t frame_number = -1;  // read from the picture (ReadFrameNumbers), or -1
};

// The machine's wall clock in microseconds since 1970 (the program times its events with it too).
using vl::win::WallClockMicroseconds;

struct CaptureOptions {
  // Subtype the grabber asks for; GUID_NULL lets the camera choose.
  GUID subtype = GUID_NULL;
  // True: a system reference clock; false: SetSyncSource(NULL), samples rendered at once.
  bool use_clock = true;
  // Samples whose bytes are kept, by index since the last ClearRecords.
  std::set<size_t> keep;
  // Samples recorded (time stamps, arrival); past them samples are only counted and the latest
  // is kept, so a run of hours holds its memory steady.
  size_t max_records = SIZE_MAX;
};

class CaptureGraph {
 public:
  CaptureGraph();
  ~CaptureGraph();
  CaptureGraph(const CaptureGraph&) = delete;
  CaptureGraph& operator=(const CaptureGraph&) = delete;

  HRESULT Build(IBaseFilter* camera, const CaptureOptions& options);
  // From now on every sample's frame number is read from its picture (a measurement clip's
  // band, tools/frame_code); call after Build, with the negotiated 24- or 32-bit type.
  void ReadFrameNumbers();
  HRESULT Run();
  HRESULT Stop();
  // Waits until `count` samples arrived since the last ClearRecords; false on time-out.
  bool WaitForSamples(size_t count, DWORD timeout_ms);
  void ClearRecords();

  // The recorded samples; past CaptureOptions::max_records, the latest one is appended.
  std::vector<SampleRecord> Records() const;
  // Samples since the last ClearRecords, recorded or not.
  size_t SampleCount() const;
  bool KeptSample(size_t index, std::vector<uint8_t>* bytes) const;
  const AM_MEDIA_TYPE& NegotiatedType() const { return negotiated_; }
  // The negotiated format's header, or null when the type carries no VIDEOINFOHEADER.
  const VIDEOINFOHEADER* NegotiatedVideoInfo() const;
  bool HasClock() const;
  IGraphBuilder* Graph() const { return graph_.get(); }

 private:
  class Callback;

  vl::win::ComPtr<IGraphBuilder> graph_;
  vl::win::ComPtr<IBaseFilter> grabber_filter_;
  vl::win::ComPtr<ISampleGrabber> grabber_;
  vl::win::ComPtr<IBaseFilter> renderer_;
  vl::win::ComPtr<IMediaControl> control_;
  Callback* callback_;
  AM_MEDIA_TYPE negotiated_;
};

// "RGB24", "RGB32", ... for a video subtype; "other" when unknown.
std::string SubtypeName(const GUID& subtype);
// The subtype named by "rgb24", "rgb32", "rgb565", "rgb555", "rgb8" or "any" (GUID_NULL).
bool ParseSubtype(const std::string& name, GUID* subtype);

}  // namespace vl::tools
