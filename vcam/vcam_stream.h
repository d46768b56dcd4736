// The camera's output pin: offers the five RGB types at its fixed size, answers stream
// configuration and pin category queries, and fills each sample from the shared section, the
// fallback picture or plain blue.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <memory>
#include <vector>

#include "vcam/camera_identity.h"
#include "common/win/com_ptr.h"
#include "vcam/fallback_picture.h"
#include "vcam/frame_pacer.h"
#include "media/frame_mapping_win.h"
#include "vcam/framework/source_stream.h"

namespace vl::vcam {

class CVCam;

class CVCamStream : public CSourceStream, public IAMStreamConfig, public IKsPropertySet {
 public:
  CVCamStream(HRESULT* result, CVCam* filter, const CameraIdentity& identity);
  ~CVCamStream() override;

  DECLARE_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

  // IQualityControl
  STDMETHODIMP Notify(IBaseFilter* sender, Quality quality) override;

  // IAMStreamConfig
  STDMETHODIMP SetFormat(AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP GetFormat(AM_MEDIA_TYPE** mt) override;
  STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
  STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) override;

  // IKsPropertySet
  STDMETHODIMP Set(REFGUID set, DWORD id, void* instance, DWORD instance_size, void* data,
                   DWORD data_size) override;
  STDMETHODIMP Get(REFGUID set, DWORD id, void* instance, DWORD instance_size, void* data,
                   DWORD data_size, DWORD* returned) override;
  STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

  // Negotiation
  HRESULT GetMediaType(int position, CMediaType* mt) override;
  HRESULT CheckMediaType(const CMediaType* mt) override;
  HRESULT SetMediaType(const CMediaType* mt) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

  // State changes: Run hands over the graph's clock and start time for the pace.
  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT Inactive() override;

 protected:
  HRESULT FillBuffer(IMediaSample* sample) override;
  // After SetFormat a connection tries the format set first.
  bool PrefersOwnTypes() override;
  // Each start of streaming begins its time stamps at 0.
  HRESULT OnThreadCreate() override;

  // The stream time now, in 100 ns units: the graph's clock minus the start time of Run while
  // running on a clock, else a steady clock from the start of streaming. `resync` is set once
  // when the graph's clock has just taken over.
  int64_t StreamTime(bool* resync);

 private:
  const CameraIdentity& identity_;
  CCritSec fill_lock_;
  vl::FrameMappingReader mapping_;
  std::unique_ptr<FallbackPicture> fallback_;
  std::vector<uint8_t> rotation_buffer_;
  // Samples are due at n x 1/30 s of stream time; their stamps follow that clock.
  vl::vcam::FramePacer pacer_{vl::vcam::kFrameDuration};
  int64_t steady_origin_ = 0;
  CCritSec pace_lock_;  // the clock handed over by Run, read by the streaming thread
  vl::win::ComPtr<IReferenceClock> pace_clock_;
  REFERENCE_TIME pace_start_ = 0;
  bool pace_resync_ = false;
  // The format an application chose with SetFormat (under the filter's state lock).
  bool format_set_ = false;
  CMediaType set_format_;
  // Bit count of the current type, read by the streaming thread without the state lock.
  volatile LONG bit_count_ = 24;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace vl::vcam
