#include "vcam/framework/media_type.h"

#include <cstring>
#include <uuids.h>

#include "vcam/framework/bitmap_math.h"

namespace vl::vcam {

void FreeMediaType(AM_MEDIA_TYPE& mt) {
  if (mt.cbFormat != 0 || mt.pbFormat != nullptr) CoTaskMemFree(mt.pbFormat);
  mt.cbFormat = 0;
  mt.pbFormat = nullptr;
  if (mt.pUnk != nullptr) {
    mt.pUnk->Release();
    mt.pUnk = nullptr;
  }
}

void DeleteMediaType(AM_MEDIA_TYPE* mt) {
  if (mt == nullptr) return;
  FreeMediaType(*mt);
  CoTaskMemFree(mt);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source) {
  *target = *source;
  if (source->cbFormat != 0 && source->pbFormat != nullptr) {
    target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
    if (target->pbFormat == nullptr) {
      target->cbFormat = 0;
      target->pUnk = nullptr;
      return E_OUTOFMEMORY;
    }
    std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
  } else {
    target->cbFormat = 0;
    target->pbFormat = nullptr;
  }
  if (target->pUnk != nullptr) target->pUnk->AddRef();
  return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source) {
  auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
  if (mt == nullptr) return nullptr;
  if (FAILED(CopyMediaType(mt, source))) {
    CoTaskMemFree(mt);
    return nullptr;
  }
  return mt;
}

LONG GetBitmapSize(const BITMAPINFOHEADER* header) {
  return static_cast<LONG>(
      vl::vcam::BitmapImageSize(header->biWidth, header->biBitCount, header->biHeight));
}

GUID GetBitmapSubtype(const BITMAPINFOHEADER* header, const DWORD* masks) {
  using vl::vcam::BitmapSubtype;
  const uint32_t mask_values[3] = {masks ? masks[0] : 0u, masks ? masks[1] : 0u,
                                   masks ? masks[2] : 0u};
  switch (vl::vcam::ClassifyBitmap(header->biCompression, header->biBitCount,
                                   masks ? mask_values : nullptr)) {
    case BitmapSubtype::kFourCC: {
      // FOURCC subtypes: the code in the first field of the FOURCC base GUID.
      GUID fourcc = MEDIASUBTYPE_YUY2;
      fourcc.Data1 = header->biCompression;
      return fourcc;
    }
    case BitmapSubtype::kRgb1:
      return MEDIASUBTYPE_RGB1;
    case BitmapSubtype::kRgb4:
      return MEDIASUBTYPE_RGB4;
    case BitmapSubtype::kRgb8:
      return MEDIASUBTYPE_RGB8;
    case BitmapSubtype::kRgb555:
      return MEDIASUBTYPE_RGB555;
    case BitmapSubtype::kRgb565:
      return MEDIASUBTYPE_RGB565;
    case BitmapSubtype::kRgb24:
      return MEDIASUBTYPE_RGB24;
    case BitmapSubtype::kRgb32:
      return MEDIASUBTYPE_RGB32;
    case BitmapSubtype::kNone:
      break;
  }
  return GUID_NULL;
}

CMediaType::CMediaType() {
  std::memset(static_cast<AM_MEDIA_TYPE*>(this), 0, sizeof(AM_MEDIA_TYPE));
  lSampleSize = 1;
  bFixedSizeSamples = TRUE;
}

CMediaType::CMediaType(const GUID* major) : CMediaType() {
  if (major != nullptr) majortype = *major;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& other) : CMediaType() {
  *this = other;
}

CMediaType::CMediaType(const CMediaType& other) : CMediaType() {
  *this = other;
}

CMediaType::~CMediaType() {
  FreeMediaType(*this);
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& other) {
  if (&other == static_cast<AM_MEDIA_TYPE*>(this)) return *this;
  FreeMediaType(*this);
  if (FAILED(CopyMediaType(this, &other))) {
    // Out of memory: keep a consistent, format-less type.
    pbFormat = nullptr;
    cbFormat = 0;
  }
  return *this;
}

CMediaType& CMediaType::operator=(const CMediaType& other) {
  return *this = static_cast<const AM_MEDIA_TYPE&>(other);
}

BYTE* CMediaType::AllocFormatBuffer(ULONG size) {
  ResetFormatBuffer();
  auto* block = static_cast<BYTE*>(CoTaskMemAlloc(size));
  if (block == nullptr) return nullptr;
  std::memset(block, 0, size);
  pbFormat = block;
  cbFormat = size;
  return block;
}

void CMediaType::ResetFormatBuffer() {
  if (pbFormat != nullptr) CoTaskMemFree(pbFormat);
  pbFormat = nullptr;
  cbFormat = 0;
}

const VIDEOINFOHEADER* CMediaType::VideoInfo() const {
  if (formattype != FORMAT_VideoInfo || pbFormat == nullptr || cbFormat < sizeof(VIDEOINFOHEADER))
    return nullptr;
  return reinterpret_cast<const VIDEOINFOHEADER*>(pbFormat);
}

VIDEOINFOHEADER* CMediaType::VideoInfo() {
  return const_cast<VIDEOINFOHEADER*>(static_cast<const CMediaType*>(this)->VideoInfo());
}

bool CMediaType::IsPartiallySpecified() const {
  return majortype == GUID_NULL || subtype == GUID_NULL || formattype == GUID_NULL;
}

bool CMediaType::MatchesPartial(const AM_MEDIA_TYPE* partial) const {
  if (partial->majortype != GUID_NULL && partial->majortype != majortype) return false;
  if (partial->subtype != GUID_NULL && partial->subtype != subtype) return false;
  if (partial->formattype != GUID_NULL) {
    if (partial->formattype != formattype) return false;
    // A format block is compared only when the partial type has one: a size without a block
    // says nothing about the bytes.
    if (partial->cbFormat != 0 && partial->pbFormat != nullptr) {
      if (partial->cbFormat != cbFormat || pbFormat == nullptr) return false;
      if (std::memcmp(partial->pbFormat, pbFormat, cbFormat) != 0) return false;
    }
  }
  return true;
}

}  // namespace vl::vcam
