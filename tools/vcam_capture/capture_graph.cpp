#include "tools/vcam_capture/capture_graph.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "tools/frame_code/frame_code.h"

namespace vl::tools {

using vl::win::ComPtr;

namespace {

int64_t NowMicroseconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return now.QuadPart * 1000000 / frequency.QuadPart;
}

void FreeType(AM_MEDIA_TYPE* mt) {
  if (mt->pbFormat != nullptr) CoTaskMemFree(mt->pbFormat);
  if (mt->pUnk != nullptr) mt->pUnk->Release();
  std::memset(mt, 0, sizeof(*mt));
}

HRESULT FindPin(IBaseFilter* filter, PIN_DIRECTION direction, ComPtr<IPin>* found) {
  ComPtr<IEnumPins> pins;
  HRESULT hr = filter->EnumPins(pins.put());
  if (FAILED(hr)) return hr;
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.put(), nullptr) == S_OK) {
    PIN_DIRECTION d;
    if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction) {
      *found = pin;
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

// One system clock for every graph of the process, never released: Wine 8's system clock can
// hang for ever in its final Release (its advise thread misses the wake-up), so no graph of
// ours ever destroys one.
HRESULT SharedReferenceClock(IReferenceClock** clock) {
  static IReferenceClock* shared = nullptr;
  static CRITICAL_SECTION* lock = [] {
    auto* cs = new CRITICAL_SECTION;
    InitializeCriticalSection(cs);
    return cs;
  }();
  EnterCriticalSection(lock);
  HRESULT hr = S_OK;
  if (shared == nullptr) {
    hr = CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER, IID_IReferenceClock,
                          reinterpret_cast<void**>(&shared));
  }
  if (SUCCEEDED(hr)) {
    shared->AddRef();
    *clock = shared;
  }
  LeaveCriticalSection(lock);
  return hr;
}

}  // namespace

// Records samples on the streaming thread; owned by the graph wrapper, not reference-counted.
class CaptureGraph::Callback final : public ISampleGrabberCB {
 public:
  Callback() {
    InitializeCriticalSection(&lock_);
    arrived_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  }
  virtual ~Callback() {
    CloseHandle(arrived_);
    DeleteCriticalSection(&lock_);
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ISampleGrabberCB) {
      *ppv = static_cast<ISampleGrabberCB*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  STDMETHODIMP SampleCB(double, IMediaSample* sample) override {
    SampleRecord record;
    REFERENCE_TIME start = 0, stop = 0;
    const HRESULT timed = sample->GetTime(&start, &stop);
    record.has_time = timed == S_OK || timed == VFW_S_NO_STOP_TIME;
    record.start = start;
    record.stop = stop;
    record.length = sample->GetActualDataLength();
    const int64_t now = NowMicroseconds();
    record.wall_us = WallClockMicroseconds();
    BYTE* pixels = nullptr;
    if (code_bpp_ != 0 && SUCCEEDED(sample->GetPointer(&pixels)) && pixels != nullptr &&
        record.length >= static_cast<long>(code_stride_) * code_height_) {
      record.frame_number =
          ReadFrameCode({pixels, code_width_, code_height_, code_stride_, code_bpp_ / 8});
    }
    EnterCriticalSection(&lock_);
    if (total_ == 0) first_arrival_ = now;
    record.arrival_us = now - first_arrival_;
    const size_t index = total_++;
    if (records_.size() < max_records_)
      records_.push_back(record);
    else
      last_ = record;
    BYTE* data = nullptr;
    if (keep_.count(index) != 0 && SUCCEEDED(sample->GetPointer(&data)) && data != nullptr) {
      kept_[index].assign(data, data + std::max<long>(record.length, 0));
    }
    LeaveCriticalSection(&lock_);
    SetEvent(arrived_);
    return S_OK;
  }
  STDMETHODIMP BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }

  // Frame numbers are read from samples of this layout from now on (bits 24 or 32).
  void SetFrameCodeFormat(int width, int height, int bits) {
    code_width_ = width;
    code_height_ = height;
    code_stride_ = ((width * bits + 31) / 32) * 4;
    code_bpp_ = bits;
  }

  void SetKeep(const std::set<size_t>& keep) {
    EnterCriticalSection(&lock_);
    keep_ = keep;
    LeaveCriticalSection(&lock_);
  }
  void SetMaxRecords(size_t max_records) {
    EnterCriticalSection(&lock_);
    max_records_ = max_records;
    LeaveCriticalSection(&lock_);
  }
  void Clear() {
    EnterCriticalSection(&lock_);
    total_ = 0;
    records_.clear();
    kept_.clear();
    LeaveCriticalSection(&lock_);
  }
  size_t Count() {
    EnterCriticalSection(&lock_);
    const size_t n = total_;
    LeaveCriticalSection(&lock_);
    return n;
  }
  std::vector<SampleRecord> Records() {
    EnterCriticalSection(&lock_);
    std::vector<SampleRecord> copy = records_;
    if (total_ > records_.size()) copy.push_back(last_);  // the latest, for the span
    LeaveCriticalSection(&lock_);
    return copy;
  }
  bool Kept(size_t index, std::vector<uint8_t>* bytes) {
    EnterCriticalSection(&lock_);
    auto it = kept_.find(index);
    const bool found = it != kept_.end();
    if (found) *bytes = it->second;
    LeaveCriticalSection(&lock_);
    return found;
  }
  HANDLE ArrivedEvent() const { return arrived_; }

 private:
  CRITICAL_SECTION lock_;
  HANDLE arrived_;
  std::vector<SampleRecord> records_;
  size_t total_ = 0;               // samples since the last Clear, recorded or not
  size_t max_records_ = SIZE_MAX;  // records kept; later samples only count
  SampleRecord last_;              // the latest sample past the kept ones
  std::set<size_t> keep_;
  std::map<size_t, std::vector<uint8_t>> kept_;
  // Layout of the pictures whose frame number is read; set before the graph runs.
  int code_width_ = 0, code_height_ = 0, code_bpp_ = 0;
  ptrdiff_t code_stride_ = 0;
  int64_t first_arrival_ = 0;
};

HRESULT ListVideoDevices(std::vector<VideoDevice>* devices) {
  devices->clear();
  ComPtr<ICreateDevEnum> enumerator;
  HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICreateDevEnum, enumerator.put_void());
  if (FAILED(hr)) return hr;
  ComPtr<IEnumMoniker> monikers;
  hr = enumerator->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.put(), 0);
  if (hr != S_OK) return SUCCEEDED(hr) ? S_OK : hr;  // S_FALSE: the category is empty
  ComPtr<IMoniker> moniker;
  while (monikers->Next(1, moniker.put(), nullptr) == S_OK) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.put_void())))
      continue;
    VARIANT name;
    VariantInit(&name);
    if (SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR) {
      devices->push_back(VideoDevice{name.bstrVal, moniker});
    }
    VariantClear(&name);
  }
  return S_OK;
}

HRESULT OpenVideoDevice(const std::wstring& name, ComPtr<IBaseFilter>* filter) {
  std::vector<VideoDevice> devices;
  HRESULT hr = ListVideoDevices(&devices);
  if (FAILED(hr)) return hr;
  for (const VideoDevice& device : devices) {
    if (device.name != name) continue;
    return device.moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter->put_void());
  }
  return VFW_E_NOT_FOUND;
}

CaptureGraph::CaptureGraph() : callback_(new Callback) {
  std::memset(&negotiated_, 0, sizeof(negotiated_));
}

CaptureGraph::~CaptureGraph() {
  if (control_) control_->Stop();
  if (grabber_) grabber_->SetCallback(nullptr, 0);
  control_.reset();
  renderer_.reset();
  grabber_.reset();
  grabber_filter_.reset();
  graph_.reset();
  FreeType(&negotiated_);
  delete callback_;
}

HRESULT CaptureGraph::Build(IBaseFilter* camera, const CaptureOptions& options) {
  HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                graph_.put_void());
  if (FAILED(hr)) return hr;
  hr = graph_->AddFilter(camera, L"Camera");
  if (FAILED(hr)) return hr;

  hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                        grabber_filter_.put_void());
  if (FAILED(hr)) return hr;
  hr = grabber_filter_.As(grabber_);
  if (FAILED(hr)) return hr;
  if (options.subtype != GUID_NULL) {
    AM_MEDIA_TYPE wanted;
    std::memset(&wanted, 0, sizeof(wanted));
    wanted.majortype = MEDIATYPE_Video;
    wanted.subtype = options.subtype;
    hr = grabber_->SetMediaType(&wanted);
    if (FAILED(hr)) return hr;
  }
  grabber_->SetBufferSamples(FALSE);
  callback_->SetKeep(options.keep);
  callback_->SetMaxRecords(options.max_records);
  hr = grabber_->SetCallback(callback_, 0);
  if (FAILED(hr)) return hr;
  hr = graph_->AddFilter(grabber_filter_.get(), L"Grabber");
  if (FAILED(hr)) return hr;

  hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                        renderer_.put_void());
  if (FAILED(hr)) return hr;
  hr = graph_->AddFilter(renderer_.get(), L"Renderer");
  if (FAILED(hr)) return hr;

  ComPtr<IPin> camera_out, grabber_in, grabber_out, renderer_in;
  if (FAILED(hr = FindPin(camera, PINDIR_OUTPUT, &camera_out)) ||
      FAILED(hr = FindPin(grabber_filter_.get(), PINDIR_INPUT, &grabber_in)) ||
      FAILED(hr = FindPin(grabber_filter_.get(), PINDIR_OUTPUT, &grabber_out)) ||
      FAILED(hr = FindPin(renderer_.get(), PINDIR_INPUT, &renderer_in)))
    return hr;
  hr = graph_->ConnectDirect(camera_out.get(), grabber_in.get(), nullptr);
  if (FAILED(hr)) return hr;
  hr = graph_->ConnectDirect(grabber_out.get(), renderer_in.get(), nullptr);
  if (FAILED(hr)) return hr;
  FreeType(&negotiated_);
  hr = grabber_->GetConnectedMediaType(&negotiated_);
  if (FAILED(hr)) return hr;

  ComPtr<IMediaFilter> media_filter;
  hr = graph_.As(media_filter);
  if (FAILED(hr)) return hr;
  ComPtr<IReferenceClock> clock;
  if (options.use_clock && FAILED(hr = SharedReferenceClock(clock.put()))) return hr;
  hr = media_filter->SetSyncSource(clock.get());
  if (FAILED(hr)) return hr;
  return graph_.As(control_);
}

void CaptureGraph::ReadFrameNumbers() {
  const VIDEOINFOHEADER* info = NegotiatedVideoInfo();
  if (info == nullptr) return;
  const int bits = info->bmiHeader.biBitCount;
  if (bits != 24 && bits != 32) return;
  const LONG height = info->bmiHeader.biHeight;
  callback_->SetFrameCodeFormat(info->bmiHeader.biWidth, height < 0 ? -height : height, bits);
}

HRESULT CaptureGraph::Run() {
  if (!control_) return E_UNEXPECTED;
  HRESULT hr = control_->Run();
  if (hr == S_FALSE) {
    // The transition completes asynchronously; wait for it.
    OAFilterState state;
    hr = control_->GetState(5000, &state);
    if (hr == VFW_S_CANT_CUE || hr == VFW_S_STATE_INTERMEDIATE) hr = S_OK;
  }
  return hr;
}

HRESULT CaptureGraph::Stop() {
  if (!control_) return E_UNEXPECTED;
  return control_->Stop();
}

bool CaptureGraph::WaitForSamples(size_t count, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  while (callback_->Count() < count) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    WaitForSingleObject(callback_->ArrivedEvent(), static_cast<DWORD>(deadline - now));
  }
  return true;
}

void CaptureGraph::ClearRecords() {
  callback_->Clear();
}

size_t CaptureGraph::SampleCount() const {
  return callback_->Count();
}

std::vector<SampleRecord> CaptureGraph::Records() const {
  return callback_->Records();
}

bool CaptureGraph::KeptSample(size_t index, std::vector<uint8_t>* bytes) const {
  return callback_->Kept(index, bytes);
}

const VIDEOINFOHEADER* CaptureGraph::NegotiatedVideoInfo() const {
  if (negotiated_.formattype != FORMAT_VideoInfo || negotiated_.pbFormat == nullptr ||
      negotiated_.cbFormat < sizeof(VIDEOINFOHEADER))
    return nullptr;
  return reinterpret_cast<const VIDEOINFOHEADER*>(negotiated_.pbFormat);
}

bool CaptureGraph::HasClock() const {
  ComPtr<IMediaFilter> media_filter;
  if (!graph_ || FAILED(graph_.As(media_filter))) return false;
  ComPtr<IReferenceClock> clock;
  return SUCCEEDED(media_filter->GetSyncSource(clock.put())) && clock;
}

std::string SubtypeName(const GUID& subtype) {
  if (subtype == MEDIASUBTYPE_RGB24) return "RGB24";
  if (subtype == MEDIASUBTYPE_RGB32) return "RGB32";
  if (subtype == MEDIASUBTYPE_RGB565) return "RGB565";
  if (subtype == MEDIASUBTYPE_RGB555) return "RGB555";
  if (subtype == MEDIASUBTYPE_RGB8) return "RGB8";
  return "other";
}

bool ParseSubtype(const std::string& name, GUID* subtype) {
  static const struct {
    const char* name;
    const GUID* guid;
  } kNames[] = {{"rgb24", &MEDIASUBTYPE_RGB24},   {"rgb32", &MEDIASUBTYPE_RGB32},
                {"rgb565", &MEDIASUBTYPE_RGB565}, {"rgb555", &MEDIASUBTYPE_RGB555},
                {"rgb8", &MEDIASUBTYPE_RGB8},     {"any", &GUID_NULL}};
  for (const auto& entry : kNames) {
    if (name == entry.name) {
      *subtype = *entry.guid;
      return true;
    }
  }
  return false;
}

}  // namespace vl::tools
