#include "vcam/vcam_stream.h"

#include <cstdlib>
#include <cstring>
#include <uuids.h>

#include "common/module_directory.h"
#include "vcam/vcam.h"

namespace {

bool IsOfferedSubtype(const GUID& subtype) {
  return subtype == MEDIASUBTYPE_RGB8 || subtype == MEDIASUBTYPE_RGB565 ||
         subtype == MEDIASUBTYPE_RGB555 || subtype == MEDIASUBTYPE_RGB24 ||
         subtype == MEDIASUBTYPE_RGB32;
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
  fallback_ = FallbackPicture::Load(vl::ModuleDirectory() + identity.fallback_file);
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
  if (mt->majortype != MEDIATYPE_Video || !mt->bFixedSizeSamples || !IsOfferedSubtype(mt->subtype))
    return E_INVALIDARG;
  // Only a block big enough to hold the header is read.
  const VIDEOINFOHEADER* info = mt->VideoInfo();
  if (info == nullptr) return E_INVALIDARG;
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
  IPin* peer = nullptr;
  {
    CAutoLock lock(lock_);
    mt_ = proposed;
    const VIDEOINFOHEADER* info = mt_.VideoInfo();
    bit_count_ = info->bmiHeader.biBitCount;
    if (connected_ != nullptr) {
      peer = connected_;
      peer->AddRef();
    }
  }
  if (peer != nullptr) {
    IFilterGraph* graph = source_->Graph();
    if (graph != nullptr) graph->Reconnect(static_cast<IPin*>(this));
    peer->Release();
  }
  return S_OK;
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

HRESULT CVCamStream::OnThreadCreate() {
  CAutoLock lock(&fill_lock_);
  frame_number_ = 0;
  return S_OK;
}

HRESULT CVCamStream::FillBuffer(IMediaSample* sample) {
  CAutoLock lock(&fill_lock_);
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
  REFERENCE_TIME start = static_cast<REFERENCE_TIME>(frame_number_) * vl::vcam::kFrameDuration;
  REFERENCE_TIME stop = start + vl::vcam::kFrameDuration;
  sample->SetTime(&start, &stop);
  sample->SetSyncPoint(TRUE);
  ++frame_number_;

  // The pace of delivery: a little under 30 samples a second.
  Sleep(30);
  return S_OK;
}
