// The output stream of a source filter: a worker thread that fills samples and delivers them
// downstream while the filter is paused or running.
#pragma once

#include "vcam/framework/am_thread.h"
#include "vcam/framework/base_output_pin.h"

namespace vl::vcam {

class CSource;

class CSourceStream : public CAMThread, public CBaseOutputPin {
 public:
  enum Command : DWORD { CMD_INIT = 0, CMD_PAUSE = 1, CMD_RUN = 2, CMD_STOP = 3, CMD_EXIT = 4 };

  // Adds itself to `filter`; `pin_name` must outlive the stream.
  CSourceStream(const wchar_t* object_name, HRESULT* result, CSource* filter,
                const wchar_t* pin_name);
  ~CSourceStream() override;

  HRESULT Active() override;
  HRESULT Inactive() override;

 protected:
  // Fills one sample: S_OK delivers it, S_FALSE ends the stream, an error aborts it.
  virtual HRESULT FillBuffer(IMediaSample* sample) = 0;
  virtual HRESULT OnThreadCreate() { return S_OK; }
  virtual HRESULT OnThreadDestroy() { return S_OK; }
  virtual HRESULT OnThreadStartPlay() { return S_OK; }

  DWORD ThreadProc() override;
  HRESULT DoBufferProcessingLoop();

  CSource* const source_;
};

}  // namespace vl::vcam
