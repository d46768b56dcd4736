#include "vcam/framework/base_output_pin.h"

#include <cstring>
#include <uuids.h>

namespace vl::vcam {

CBaseOutputPin::CBaseOutputPin(const wchar_t* object_name, CBaseFilter* filter, CCritSec* lock,
                               HRESULT* result, const wchar_t* name)
    : CBasePin(object_name, filter, lock, result, name, PINDIR_OUTPUT) {}

CBaseOutputPin::~CBaseOutputPin() {
  BreakConnect();
}

HRESULT CBaseOutputPin::CheckConnect(IPin* pin) {
  HRESULT hr = CBasePin::CheckConnect(pin);
  if (FAILED(hr)) return hr;
  if (input_pin_ != nullptr) {
    input_pin_->Release();
    input_pin_ = nullptr;
  }
  hr = pin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input_pin_));
  return FAILED(hr) ? E_NOINTERFACE : S_OK;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin*) {
  return DecideAllocator(input_pin_, &allocator_);
}

HRESULT CBaseOutputPin::BreakConnect() {
  if (allocator_ != nullptr) {
    allocator_->Decommit();
    allocator_->Release();
    allocator_ = nullptr;
  }
  if (input_pin_ != nullptr) {
    input_pin_->Release();
    input_pin_ = nullptr;
  }
  return S_OK;
}

HRESULT CBaseOutputPin::TryAllocator(IMemInputPin* input, IMemAllocator* allocator,
                                     ALLOCATOR_PROPERTIES* request) {
  HRESULT hr = DecideBufferSize(allocator, request);
  if (SUCCEEDED(hr)) hr = input->NotifyAllocator(allocator, FALSE);
  return hr;
}

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* input, IMemAllocator** allocator) {
  if (input == nullptr) return E_UNEXPECTED;
  ALLOCATOR_PROPERTIES request;
  std::memset(&request, 0, sizeof(request));
  input->GetAllocatorRequirements(&request);  // optional for the input pin
  if (request.cbAlign == 0) request.cbAlign = 1;

  // The input pin's own allocator first, then one of the platform's.
  IMemAllocator* candidate = nullptr;
  HRESULT hr = input->GetAllocator(&candidate);
  if (SUCCEEDED(hr) && candidate != nullptr) {
    hr = TryAllocator(input, candidate, &request);
    if (SUCCEEDED(hr)) {
      *allocator = candidate;
      return S_OK;
    }
    candidate->Release();
    candidate = nullptr;
  }
  hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                        reinterpret_cast<void**>(&candidate));
  if (FAILED(hr)) return hr;
  hr = TryAllocator(input, candidate, &request);
  if (FAILED(hr)) {
    candidate->Release();
    return hr;
  }
  *allocator = candidate;
  return S_OK;
}

HRESULT CBaseOutputPin::Active() {
  if (allocator_ == nullptr) return VFW_E_NO_ALLOCATOR;
  return allocator_->Commit();
}

HRESULT CBaseOutputPin::Inactive() {
  if (allocator_ == nullptr) return VFW_E_NO_ALLOCATOR;
  return allocator_->Decommit();
}

HRESULT CBaseOutputPin::GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                          REFERENCE_TIME* stop, DWORD flags) {
  if (allocator_ == nullptr) return VFW_E_NO_ALLOCATOR;
  return allocator_->GetBuffer(sample, start, stop, flags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* sample) {
  if (input_pin_ == nullptr) return VFW_E_NOT_CONNECTED;
  return input_pin_->Receive(sample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream() {
  if (connected_ == nullptr) return VFW_E_NOT_CONNECTED;
  return connected_->EndOfStream();
}

HRESULT CBaseOutputPin::DeliverBeginFlush() {
  if (connected_ == nullptr) return VFW_E_NOT_CONNECTED;
  return connected_->BeginFlush();
}

HRESULT CBaseOutputPin::DeliverEndFlush() {
  if (connected_ == nullptr) return VFW_E_NOT_CONNECTED;
  return connected_->EndFlush();
}

HRESULT CBaseOutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  if (connected_ == nullptr) return VFW_E_NOT_CONNECTED;
  return connected_->NewSegment(start, stop, rate);
}

}  // namespace vl::vcam
