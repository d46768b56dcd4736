#include "vcam/framework/source_stream.h"

#include <evcode.h>

#include "vcam/framework/source.h"

namespace vl::vcam {

CSourceStream::CSourceStream(const wchar_t* object_name, HRESULT* result, CSource* filter,
                             const wchar_t* pin_name)
    : CBaseOutputPin(object_name, filter, filter->StateLock(), result, pin_name), source_(filter) {
  const HRESULT hr = filter->AddPin(this);
  if (result != nullptr && FAILED(hr)) *result = hr;
}

CSourceStream::~CSourceStream() {
  // A filter released without a Stop must not leave the worker running on a dead object.
  if (ThreadExists()) {
    CallWorker(CMD_STOP);
    CallWorker(CMD_EXIT);
    Close();
  }
  source_->RemovePin(this);
}

HRESULT CSourceStream::Active() {
  CAutoLock lock(lock_);
  if (source_->IsActive()) return S_FALSE;
  if (!IsConnected()) return S_OK;
  HRESULT hr = CBaseOutputPin::Active();
  if (FAILED(hr)) return hr;
  if (!Create()) {
    CBaseOutputPin::Inactive();
    return E_FAIL;
  }
  hr = static_cast<HRESULT>(CallWorker(CMD_INIT));
  if (FAILED(hr)) {
    // The worker has ended after a failed start: collect it.
    Close();
    CBaseOutputPin::Inactive();
    return hr;
  }
  return static_cast<HRESULT>(CallWorker(CMD_PAUSE));
}

HRESULT CSourceStream::Inactive() {
  CAutoLock lock(lock_);
  HRESULT hr = S_OK;
  if (IsConnected()) {
    // Decommitting first releases a worker blocked waiting for a free buffer. Its failure is
    // reported, but the worker is stopped all the same: it must not stream on after Stop.
    hr = CBaseOutputPin::Inactive();
  }
  if (ThreadExists()) {
    CallWorker(CMD_STOP);
    CallWorker(CMD_EXIT);
    Close();
  }
  return hr;
}

DWORD CSourceStream::ThreadProc() {
  DWORD command;
  do {
    command = GetRequest();
    if (command != CMD_INIT) Reply(static_cast<DWORD>(E_UNEXPECTED));
  } while (command != CMD_INIT);

  HRESULT hr = OnThreadCreate();
  if (FAILED(hr)) {
    OnThreadDestroy();
    Reply(static_cast<DWORD>(hr));
    return 1;
  }
  Reply(S_OK);

  for (bool serving = true; serving;) {
    command = GetRequest();
    switch (command) {
      case CMD_PAUSE:
      case CMD_RUN:
        Reply(S_OK);
        DoBufferProcessingLoop();
        break;
      case CMD_STOP:
        Reply(S_OK);
        break;
      case CMD_EXIT:
        Reply(S_OK);
        serving = false;
        break;
      default:
        Reply(static_cast<DWORD>(E_NOTIMPL));
        break;
    }
  }
  return FAILED(OnThreadDestroy()) ? 1 : 0;
}

HRESULT CSourceStream::DoBufferProcessingLoop() {
  OnThreadStartPlay();
  for (;;) {
    DWORD command;
    while (!CheckRequest(&command)) {
      IMediaSample* sample = nullptr;
      if (FAILED(GetDeliveryBuffer(&sample, nullptr, nullptr, 0)) || sample == nullptr) {
        Sleep(1);
        continue;
      }
      const HRESULT hr = FillBuffer(sample);
      if (hr == S_OK) {
        const HRESULT delivered = Deliver(sample);
        sample->Release();
        // Downstream refused: stop quietly, it has its reasons.
        if (delivered != S_OK) return S_OK;
      } else if (hr == S_FALSE) {
        sample->Release();
        DeliverEndOfStream();
        return S_OK;
      } else {
        sample->Release();
        DeliverEndOfStream();
        source_->NotifyEvent(EC_ERRORABORT, hr, 0);
        return hr;
      }
    }
    // A command is waiting.
    if (command == CMD_RUN || command == CMD_PAUSE) {
      Reply(S_OK);
    } else if (command == CMD_STOP) {
      return S_OK;  // the thread procedure replies
    } else {
      Reply(static_cast<DWORD>(E_UNEXPECTED));
    }
  }
}

}  // namespace vl::vcam
