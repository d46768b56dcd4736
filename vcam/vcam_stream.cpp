#include "vcam/vcam_stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <uuids.h>

#include "common/module_directory.h"
#include "common/win/com_ptr.h"
#include "common/win/user_data_folder.h"
#include "vcam/vcam.h"

namespace {

// The offered subtypes; kNone for any other.
vl::vcam::BitmapSubtype OfferedSubtype(const GUID& subtype) {
  using vl::vcam::BitmapSubtype;
  if (subtype == MEDIASUBTYPE_RGB8) return BitmapSubtype::kRgb8;
  if (subtype == MEDIASUBTYPE_RGB565) return BitmapSubtype::kRgb565;
  if (subtype == MEDIASUBTYPE_RGB555) return BitmapSubtype::kRgb555;
  if (subtype == MEDIASUBTYPE_RGB24) return BitmapSubtype::kRgb24;
  if (subtype == MEDIASUBTYPE_RGB32) return BitmapSubtype::kRgb32;
  return BitmapSubtype::kNone;
}

// Fills a bitmap header for the camera's size at `bit_count`.
void FillBitmapHeader(BITMAPINFOHEADER* header, int32_t width, int32_t height, int32_t bit_count,
                      DWORD compression) {
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = width;
  header->biHeight = height;
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(bit_count);
  header->biCompression = compression;
  header->biSizeImage = static_cast<DWORD>(GetBitmapSize(header));
  header->biClrImportant = 0;
}

int StreamRandom() {
  return std::rand();
}

}  // namespace

CVCamStream::CVCamStream(HRESULT* result, CVCam* filter, const CameraIdentity& identity)
    : CSourceStream(L"Velloria stream", result, filter, identity.pin_name), identity_(identity) {
  // The picture the configuration host last sent (the program keeps it per user), else the
  // one installed beside the module.
  const std::string user_folder = vl::win::UserPictureFolder(false);
  fallback_ = FallbackPicture::LoadFirst(
      {user_folder.empty() ? std::string() : user_folder + identity.fallback_file,
       vl::ModuleDirectory() + "res\\" + identity.fallback_file});
  const vl::MappedPicture published = mapping_.Read();
  const vl::vcam::FrameSize size =
      vl::vcam::OfferedFrameSize(identity.orientation, published.width, published.height);
  width_ = size.width;
  height_ = size.height;
  GetMediaType(vl::vcam::kDefaultFormatPosition, &mt_);
  bit_count_ = 24;
}

CVCamStream::~CVCamStream() {
  // The worker calls FillBuffer: it must be gone before our members are.
  Inactive();
}

HRESULT STDMETHODCALLTYPE CVCamStream::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IAMStreamConfig) return GetInterface(static_cast<IAMStreamConfig*>(this), ppv);
  if (riid == IID_IKsPropertySet) return GetInterface(static_cast<IKsPropertySet*>(this), ppv);
  return CSourceStream::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CVCamStream::Notify(IBaseFilter*, Quality) {
  return E_NOTIMPL;
}

// --- Negotiation ---------------------------------------------------------------------------

HRESULT CVCamStream::GetMediaType(int position, CMediaType* mt) {
  if (mt == nullptr) return E_POINTER;
  if (position < 0) return E_INVALIDARG;
  {
    // The format an application set comes first, before the five offered types.
    CAutoLock lock(lock_);
    if (format_set_) {
      if (position == 0) {
        *mt = set_format_;
        return S_OK;
      }
      --position;
    }
  }
  vl::vcam::OfferedFormat format;
  if (!vl::vcam::GetOfferedFormat(position, &format)) return VFW_S_NO_MORE_ITEMS;

  auto* info = reinterpret_cast<VIDEOINFO*>(mt->AllocFormatBuffer(sizeof(VIDEOINFO)));
  if (info == nullptr) return E_OUTOFMEMORY;
  FillBitmapHeader(&info->bmiHeader, width_, height_, format.bit_count, format.compression);
  info->bmiHeader.biClrUsed = format.colours_used;
  if (format.compression == vl::vcam::kBiBitfields) {
    for (int i = 0; i < 3; ++i) info->dwBitMasks[i] = format.masks[i];
  }
  info->AvgTimePerFrame = vl::vcam::kFrameDuration;
  SetRectEmpty(&info->rcSource);
  SetRectEmpty(&info->rcTarget);

  mt->majortype = MEDIATYPE_Video;
  mt->formattype = FORMAT_VideoInfo;
  mt->bTemporalCompression = FALSE;
  mt->bFixedSizeSamples = TRUE;
  mt->lSampleSize = info->bmiHeader.biSizeImage;
  const DWORD* masks = format.compression == vl::vcam::kBiBitfields ? info->dwBitMasks : nullptr;
  mt->subtype = GetBitmapSubtype(&info->bmiHeader, masks);
  return S_OK;
}

HRESULT CVCamStream::CheckMediaType(const CMediaType* mt) {
  if (mt == nullptr) return E_POINTER;
  const vl::vcam::BitmapSubtype subtype = OfferedSubtype(mt->subtype);
  if (mt->majortype != MEDIATYPE_Video || !mt->bFixedSizeSamples ||
      subtype == vl::vcam::BitmapSubtype::kNone)
    return E_INVALIDARG;
  // Only a block big enough to hold the header is read.
  const VIDEOINFOHEADER* info = mt->VideoInfo();
  if (info == nullptr) return E_INVALIDARG;
  // Samples are filled by the header's bit count: it must be the subtype's.
  if (!vl::vcam::HeaderMatchesSubtype(subtype, info->bmiHeader.biBitCount,
                                      info->bmiHeader.biCompression))
    return E_INVALIDARG;
  const LONG height = info->bmiHeader.biHeight;
  if (info->bmiHeader.biWidth != width_ || (height < 0 ? -height : height) != height_)
    return E_INVALIDARG;
  // Top-down layouts are refused.
  return height >= 0 ? S_OK : E_INVALIDARG;
}

HRESULT CVCamStream::SetMediaType(const CMediaType* mt) {
  CAutoLock lock(lock_);
  HRESULT hr = CSourceStream::SetMediaType(mt);
  if (FAILED(hr)) return hr;
  const VIDEOINFOHEADER* info = mt_.VideoInfo();
  if (info == nullptr) return E_UNEXPECTED;
  const WORD bits = info->bmiHeader.biBitCount;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return E_INVALIDARG;
  bit_count_ = bits;
  return S_OK;
}

HRESULT CVCamStream::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
  if (allocator == nullptr || request == nullptr) return E_POINTER;
  CAutoLock lock(lock_);
  const VIDEOINFOHEADER* info = mt_.VideoInfo();
  if (info == nullptr) return E_UNEXPECTED;
  // A proposed type may leave biSizeImage at 0: the buffer always holds a whole picture.
  const LONG needed = GetBitmapSize(&info->bmiHeader);
  const LONG stated = static_cast<LONG>(info->bmiHeader.biSizeImage);
  request->cBuffers = 1;
  request->cbBuffer = stated > needed ? stated : (needed < 0 ? -needed : needed);
  ALLOCATOR_PROPERTIES actual;
  const HRESULT hr = allocator->SetProperties(request, &actual);
  if (FAILED(hr)) return hr;
  return actual.cbBuffer < request->cbBuffer ? E_FAIL : S_OK;
}

// --- IAMStreamConfig -----------------------------------------------------------------------

STDMETHODIMP CVCamStream::SetFormat(AM_MEDIA_TYPE* mt) {
  if (mt == nullptr) return E_POINTER;
  const CMediaType proposed(*mt);
  // Samples are always drawn at the camera's size: no other type may be stored.
  if (CheckMediaType(&proposed) != S_OK) return E_INVALIDARG;
  vl::win::ComPtr<IPin> peer;
  {
    CAutoLock lock(lock_);
    // The sample layout never changes under a streaming peer.
    if (!source_->IsStopped()) return VFW_E_NOT_STOPPED;
    if (connected_ != nullptr) {
      connected_->AddRef();
      peer = vl::win::ComPtr<IPin>::Attach(connected_);
    }
  }
  // A connected peer is asked first (outside our lock: it may call back).
  if (peer && peer->QueryAccept(&proposed) != S_OK) return VFW_E_INVALIDMEDIATYPE;
  {
    CAutoLock lock(lock_);
    if (!source_->IsStopped()) return VFW_E_NOT_STOPPED;
    if (connected_ != peer.get()) return VFW_E_WRONG_STATE;  // the connection changed meanwhile
    set_format_ = proposed;
    format_set_ = true;
    IncrementTypeVersion();
    if (!peer) {
      // The next connection starts with it; until then it is the current format.
      mt_ = proposed;
      bit_count_ = proposed.VideoInfo()->bmiHeader.biBitCount;
      return S_OK;
    }
  }
  // Connected: the graph connects the pins again, and the set format is tried first.
  IFilterGraph* graph = source_->Graph();
  if (graph == nullptr) return VFW_E_NOT_IN_GRAPH;
  return graph->Reconnect(static_cast<IPin*>(this));
}

bool CVCamStream::PrefersOwnTypes() {
  CAutoLock lock(lock_);
  return format_set_;
}

STDMETHODIMP CVCamStream::GetFormat(AM_MEDIA_TYPE** mt) {
  if (mt == nullptr) return E_POINTER;
  CAutoLock lock(lock_);
  *mt = CreateMediaType(&mt_);
  return *mt == nullptr ? E_OUTOFMEMORY : S_OK;
}

STDMETHODIMP CVCamStream::GetNumberOfCapabilities(int* count, int* size) {
  if (count == nullptr || size == nullptr) return E_POINTER;
  *count = 1;
  *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
  return S_OK;
}

STDMETHODIMP CVCamStream::GetStreamCaps(int, AM_MEDIA_TYPE** mt, BYTE* caps_bytes) {
  if (mt == nullptr || caps_bytes == nullptr) return E_POINTER;
  CMediaType type;
  {
    CAutoLock lock(lock_);
    type = mt_;
  }
  // The current type rewritten as 24-bit RGB at the camera's size, keeping its timing.
  VIDEOINFOHEADER previous;
  std::memset(&previous, 0, sizeof(previous));
  if (const VIDEOINFOHEADER* info = type.VideoInfo()) previous = *info;
  auto* info = reinterpret_cast<VIDEOINFO*>(type.AllocFormatBuffer(sizeof(VIDEOINFO)));
  if (info == nullptr) return E_OUTOFMEMORY;
  std::memcpy(info, &previous, sizeof(previous));
  FillBitmapHeader(&info->bmiHeader, width_, height_, 24, BI_RGB);
  info->bmiHeader.biXPelsPerMeter = 0;
  info->bmiHeader.biYPelsPerMeter = 0;
  info->bmiHeader.biClrUsed = 0;
  SetRectEmpty(&info->rcSource);
  SetRectEmpty(&info->rcTarget);
  type.majortype = MEDIATYPE_Video;
  type.subtype = MEDIASUBTYPE_RGB24;
  type.formattype = FORMAT_VideoInfo;
  type.bTemporalCompression = FALSE;
  // Fixed-size, like every type the pin offers: SetFormat accepts what we advertise here.
  type.bFixedSizeSamples = TRUE;
  type.lSampleSize = info->bmiHeader.biSizeImage;

  *mt = CreateMediaType(&type);
  if (*mt == nullptr) return E_OUTOFMEMORY;

  auto* caps = reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(caps_bytes);
  std::memset(caps, 0, sizeof(*caps));
  const SIZE size = {width_, height_};
  const vl::vcam::StreamCapsFigures figures =
      vl::vcam::GetStreamCapsFigures(vl::vcam::FrameSize{width_, height_});
  caps->guid = FORMAT_VideoInfo;
  caps->VideoStandard = 0;
  caps->InputSize = size;
  caps->MinCroppingSize = size;
  caps->MaxCroppingSize = size;
  caps->CropGranularityX = width_;
  caps->CropGranularityY = height_;
  caps->MinOutputSize = size;
  caps->MaxOutputSize = size;
  caps->MinFrameInterval = figures.min_frame_interval;
  caps->MaxFrameInterval = figures.max_frame_interval;
  caps->MinBitsPerSecond = figures.min_bits_per_second;
  caps->MaxBitsPerSecond = figures.max_bits_per_second;
  return S_OK;
}

// --- IKsPropertySet ------------------------------------------------------------------------

STDMETHODIMP CVCamStream::Set(REFGUID, DWORD, void*, DWORD, void*, DWORD) {
  return E_NOTIMPL;
}

STDMETHODIMP CVCamStream::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD data_size,
                              DWORD* returned) {
  if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
  if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
  if (data == nullptr && returned == nullptr) return E_POINTER;
  if (returned != nullptr) *returned = sizeof(GUID);
  if (data == nullptr) return S_OK;
  if (data_size < sizeof(GUID)) return E_UNEXPECTED;
  *static_cast<GUID*>(data) = PIN_CATEGORY_CAPTURE;
  return S_OK;
}

STDMETHODIMP CVCamStream::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
  if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
  if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
  if (support != nullptr) *support = KSPROPERTY_SUPPORT_GET;
  return S_OK;
}

// --- Streaming -----------------------------------------------------------------------------

namespace {

// Longest single sleep while a sample is not yet due, in 100 ns units.
constexpr int64_t kPaceStep = 100000;

// A steady clock in 100 ns units.
int64_t SteadyNow() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<int64_t>(static_cast<double>(now.QuadPart) * 1e7 /
                              static_cast<double>(frequency.QuadPart));
}

}  // namespace

HRESULT CVCamStream::Run(REFERENCE_TIME start) {
  // Under the filter's state lock: its clock cannot change now.
  CAutoLock lock(&pace_lock_);
  IReferenceClock* clock = source_->Clock();
  if (clock != nullptr) clock->AddRef();
  pace_clock_ = vl::win::ComPtr<IReferenceClock>::Attach(clock);
  pace_start_ = start;
  pace_resync_ = clock != nullptr;
  return S_OK;
}

HRESULT CVCamStream::Inactive() {
  const HRESULT hr = CSourceStream::Inactive();
  CAutoLock lock(&pace_lock_);
  pace_clock_.reset();
  pace_resync_ = false;
  return hr;
}

HRESULT CVCamStream::OnThreadCreate() {
  CAutoLock lock(&fill_lock_);
  pacer_.Restart();
  steady_origin_ = SteadyNow();
  return S_OK;
}

int64_t CVCamStream::StreamTime(bool* resync) {
  CAutoLock lock(&pace_lock_);
  *resync = pace_resync_;
  pace_resync_ = false;
  REFERENCE_TIME now = 0;
  if (pace_clock_ && SUCCEEDED(pace_clock_->GetTime(&now))) return now - pace_start_;
  return SteadyNow() - steady_origin_;
}

HRESULT CVCamStream::FillBuffer(IMediaSample* sample) {
  CAutoLock lock(&fill_lock_);
  // Wait until this sample is due instead of sleeping a fixed time after the last one: a
  // sleep ends on the system timer's tick, and fixed sleeps would let the stamps fall ever
  // further behind the clock. The wait goes in short steps so that Stop is heard at once.
  int64_t now = 0;
  for (;;) {
    bool resync = false;
    now = StreamTime(&resync);
    if (resync) pacer_.Resync(now);
    const int64_t wait = pacer_.TimeUntilDue(now);
    if (wait <= 0 || CheckRequest(nullptr)) break;
    Sleep(static_cast<DWORD>((std::min<int64_t>(wait, kPaceStep) + 9999) / 10000));
  }
  REFERENCE_TIME start = pacer_.Take(now);
  REFERENCE_TIME stop = start + pacer_.frame_duration();

  const vl::MappedPicture published = mapping_.Read();
  BYTE* data = nullptr;
  if (FAILED(sample->GetPointer(&data)) || data == nullptr) return E_POINTER;
  const long size = sample->GetSize();

  const int32_t bits = bit_count_;
  vl::vcam::SampleTarget target;
  target.data = data;
  target.size = size > 0 ? static_cast<size_t>(size) : 0;
  target.width = width_;
  target.height = height_;
  target.layout = vl::vcam::LayoutForBitCount(bits);

  const vl::vcam::SourcePicture fallback =
      fallback_ ? fallback_->View() : vl::vcam::SourcePicture{};
  vl::vcam::FillSample(target, published, fallback_ ? &fallback : nullptr, identity_.orientation,
                       &rotation_buffer_, &StreamRandom);

  const int64_t image_bytes = vl::vcam::BitmapImageSize(width_, bits, height_);
  sample->SetActualDataLength(static_cast<long>(image_bytes < size ? image_bytes : size));
  sample->SetTime(&start, &stop);
  sample->SetSyncPoint(TRUE);
  return S_OK;
}
