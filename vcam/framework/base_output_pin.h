// An output pin: allocator negotiation with the connected input pin and delivery to it.
#pragma once

#include "vcam/framework/base_pin.h"

namespace vl::vcam {

class CBaseOutputPin : public CBasePin {
 public:
  CBaseOutputPin(const wchar_t* object_name, CBaseFilter* filter, CCritSec* lock, HRESULT* result,
                 const wchar_t* name);
  ~CBaseOutputPin() override;

  // An output pin takes no stream control calls from upstream.
  STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
  STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
  STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }

  // Sets the allocator's buffer count and size for this pin's type.
  virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;

  HRESULT Active() override;
  HRESULT Inactive() override;

  HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                            DWORD flags);
  HRESULT Deliver(IMediaSample* sample);
  HRESULT DeliverEndOfStream();
  HRESULT DeliverBeginFlush();
  HRESULT DeliverEndFlush();
  HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

 protected:
  HRESULT CheckConnect(IPin* pin) override;
  HRESULT CompleteConnect(IPin* receive_pin) override;
  HRESULT BreakConnect() override;

 private:
  HRESULT DecideAllocator(IMemInputPin* input, IMemAllocator** allocator);
  HRESULT TryAllocator(IMemInputPin* input, IMemAllocator* allocator,
                       ALLOCATOR_PROPERTIES* request);

  IMemInputPin* input_pin_ = nullptr;
  IMemAllocator* allocator_ = nullptr;
};

}  // namespace vl::vcam
