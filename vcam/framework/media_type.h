// Media type utilities: ownership of AM_MEDIA_TYPE and its format block (task memory), heap
// copies for callers, and bitmap header helpers.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <amvideo.h>
#include <uuids.h>
#include <vfwmsgs.h>

namespace vl::vcam {

// Frees the format block and the unknown of a media type, leaving the structure itself.
void FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees a media type allocated with CreateMediaType (task memory).
void DeleteMediaType(AM_MEDIA_TYPE* mt);
// Deep copy into `target` (which must hold nothing). E_OUTOFMEMORY leaves `target` empty.
HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source);
// A deep copy in task memory for a caller to free with DeleteMediaType; null on failure.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);

// Image size of a bitmap header: padded rows times |height|, keeping the sign of the height.
LONG GetBitmapSize(const BITMAPINFOHEADER* header);
// Subtype of a bitmap header; `masks` are the three colour masks following it, or null.
GUID GetBitmapSubtype(const BITMAPINFOHEADER* header, const DWORD* masks);

// An owned media type.
class CMediaType : public AM_MEDIA_TYPE {
 public:
  CMediaType();
  explicit CMediaType(const GUID* major);
  CMediaType(const AM_MEDIA_TYPE& other);  // NOLINT: implicit like the platform type
  CMediaType(const CMediaType& other);
  ~CMediaType();
  CMediaType& operator=(const AM_MEDIA_TYPE& other);
  CMediaType& operator=(const CMediaType& other);

  // Replaces the format block with `size` zero bytes; returns it, or null when out of memory.
  BYTE* AllocFormatBuffer(ULONG size);
  void ResetFormatBuffer();
  // The format block as a VIDEOINFOHEADER when the type carries one big enough, else null.
  const VIDEOINFOHEADER* VideoInfo() const;
  VIDEOINFOHEADER* VideoInfo();

  bool IsValid() const { return majortype != GUID_NULL; }
  // Any null GUID (major, sub or format type) counts as a wildcard.
  bool IsPartiallySpecified() const;
  bool MatchesPartial(const AM_MEDIA_TYPE* partial) const;
};

}  // namespace vl::vcam
