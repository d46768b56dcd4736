// The source filter framework on its own. Its parts that need no filter: media type ownership,
// partial matching, the bitmap header helpers, the worker thread with its synchronous command
// channel. Then its filter, pins and source stream: a small test source whose pin set, type list
// and FillBuffer results the tests control, in real graphs where streaming is involved.
#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>

#include <cstring>
#include <vector>

#include "common/win/com_ptr.h"
#include "tools/vcam_capture/capture_graph.h"
#include "vcam/framework/am_thread.h"
#include "vcam/framework/media_type.h"
#include "vcam/framework/source.h"
#include "vcam/framework/source_stream.h"

namespace vl::vcam {
namespace {

using vl::win::ComPtr;

// The offered RGB headers' subtypes are vcam_stream_test's media type cases (the camera names
// its types through this); here a FOURCC and a header of no subtype.
TEST(MediaTypeTest, SubtypesFromBitmapHeadersCopiesAndPartialMatches) {
  BITMAPINFOHEADER h = {};
  h.biSize = sizeof(h);
  h.biCompression = MAKEFOURCC('Y', 'U', 'Y', '2');
  h.biBitCount = 16;
  EXPECT_EQ(GetBitmapSubtype(&h, nullptr), MEDIASUBTYPE_YUY2);
  h.biCompression = BI_RGB;
  h.biBitCount = 7;
  EXPECT_EQ(GetBitmapSubtype(&h, nullptr), GUID_NULL);
  h.biWidth = 5;
  h.biHeight = -3;
  h.biBitCount = 24;
  EXPECT_EQ(GetBitmapSize(&h), -48);
  // Copies own their format blocks; a partial type matches by what it specifies, its block's bytes
  // only when it has one.
  CMediaType original(&MEDIATYPE_Video);
  BYTE* block = original.AllocFormatBuffer(16);
  ASSERT_NE(block, nullptr);
  std::memset(block, 0x42, 16);
  AM_MEDIA_TYPE* copy = CreateMediaType(&original);
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->pbFormat, original.pbFormat);
  EXPECT_EQ(copy->cbFormat, 16u);
  EXPECT_EQ(std::memcmp(copy->pbFormat, block, 16), 0);
  CMediaType assigned;
  assigned = *copy;
  DeleteMediaType(copy);
  EXPECT_EQ(assigned.cbFormat, 16u);
  EXPECT_EQ(assigned.pbFormat[15], 0x42);
  CMediaType partial;
  partial.majortype = MEDIATYPE_Video;
  EXPECT_TRUE(partial.IsPartiallySpecified());
  EXPECT_TRUE(assigned.MatchesPartial(&partial));
  partial.majortype = MEDIATYPE_Audio;
  EXPECT_FALSE(assigned.MatchesPartial(&partial));
  EXPECT_EQ(assigned.VideoInfo(), nullptr);  // not a VideoInfo block

  CMediaType full(&MEDIATYPE_Video);
  full.subtype = MEDIASUBTYPE_RGB24;
  full.formattype = FORMAT_VideoInfo;
  ASSERT_NE(full.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)), nullptr);
  full.pbFormat[0] = 7;
  AM_MEDIA_TYPE with_size = {};
  with_size.majortype = MEDIATYPE_Video;
  with_size.formattype = FORMAT_VideoInfo;
  with_size.cbFormat = sizeof(VIDEOINFOHEADER);  // a size, but no block: not read through
  EXPECT_TRUE(full.MatchesPartial(&with_size));
  // With a block, the bytes decide.
  std::vector<BYTE> bytes(full.pbFormat, full.pbFormat + full.cbFormat);
  with_size.pbFormat = bytes.data();
  EXPECT_TRUE(full.MatchesPartial(&with_size));
  bytes[0] = 8;
  EXPECT_FALSE(full.MatchesPartial(&with_size));
  with_size.cbFormat = 40;  // another size
  EXPECT_FALSE(full.MatchesPartial(&with_size));
  // Our own type without a block never matches a partial type that has one.
  CMediaType bare(&MEDIATYPE_Video);
  bare.formattype = FORMAT_VideoInfo;
  with_size.cbFormat = sizeof(VIDEOINFOHEADER);
  EXPECT_FALSE(bare.MatchesPartial(&with_size));
}

// A worker that echoes commands until told 99, and ends without a reply on 98.
class EchoThread : public CAMThread {
 protected:
  DWORD ThreadProc() override {
    for (;;) {
      const DWORD command = GetRequest();
      if (command == 98) return 0;
      Reply(command + 1000);
      if (command == 99) return 0;
    }
  }
};

TEST(CAMThreadTest, CommandsAreAnsweredAndADeadWorkerDoesNotHang) {
  EchoThread thread;
  EXPECT_EQ(thread.CallWorker(1), static_cast<DWORD>(E_FAIL));
  ASSERT_TRUE(thread.Create());
  EXPECT_FALSE(thread.Create());
  EXPECT_EQ(thread.CallWorker(5), 1005u);
  EXPECT_EQ(thread.CallWorker(6), 1006u);
  // The worker leaves without replying: the caller gets E_FAIL instead of waiting for ever.
  EXPECT_EQ(thread.CallWorker(98), static_cast<DWORD>(E_FAIL));
  thread.Close();
  EXPECT_FALSE(thread.ThreadExists());
  ASSERT_TRUE(thread.Create());
  EXPECT_EQ(thread.CallWorker(99), 1099u);
  thread.Close();
}

const CLSID kTestClsid = {
    0x5F1D7A10, 0x2B3C, 0x4D5E, {0x8F, 0x90, 0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6}};

// Two copies of 64 x 32 RGB24 are offered; FillBuffer answers `result` after `good_samples`
// samples.
struct TestStream : CSourceStream {
  TestStream(HRESULT* hr, CSource* filter, const wchar_t* name)
      : CSourceStream(L"Test stream", hr, filter, name) {}
  ~TestStream() override { Inactive(); }

  STDMETHODIMP Notify(IBaseFilter*, Quality) override { return E_NOTIMPL; }

  HRESULT GetMediaType(int position, CMediaType* mt) override {
    if (position < 0) return E_INVALIDARG;
    if (position >= 2) return VFW_S_NO_MORE_ITEMS;
    auto* info = reinterpret_cast<VIDEOINFOHEADER*>(mt->AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    info->bmiHeader = {sizeof(BITMAPINFOHEADER), 64, 32, 1, 24, BI_RGB, 64 * 32 * 3, 0, 0, 0, 0};
    info->AvgTimePerFrame = 333333;
    mt->majortype = MEDIATYPE_Video;
    mt->subtype = MEDIASUBTYPE_RGB24;
    mt->formattype = FORMAT_VideoInfo;
    mt->bFixedSizeSamples = TRUE;
    mt->lSampleSize = info->bmiHeader.biSizeImage;
    return S_OK;
  }
  HRESULT CheckMediaType(const CMediaType* mt) override {
    return accept_types && mt->VideoInfo() != nullptr && mt->subtype == MEDIASUBTYPE_RGB24
               ? S_OK
               : E_INVALIDARG;
  }
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override {
    request->cBuffers = 1;
    request->cbBuffer = 64 * 32 * 3;
    ALLOCATOR_PROPERTIES actual;
    return allocator->SetProperties(request, &actual);
  }
  HRESULT FillBuffer(IMediaSample* sample) override {
    Sleep(5);
    if (filled++ < good_samples) return S_OK;
    return result;
  }
  void BumpTypes() { IncrementTypeVersion(); }

  bool accept_types = true;
  volatile LONG filled = 0;
  LONG good_samples = 1000000;
  HRESULT result = S_OK;
};

struct TestSource : CSource {
  explicit TestSource(int pins) : CSource(L"Test source", nullptr, kTestClsid) {
    for (int i = 0; i < pins; ++i) AddStream();
  }
  DECLARE_IUNKNOWN
  TestStream* AddStream() {
    static const wchar_t* const kNames[] = {L"Out 0", L"Out 1", L"Out 2", L"Out 3"};
    HRESULT hr = S_OK;
    return new TestStream(&hr, this, kNames[streams_.size() % 4]);
  }
  TestStream* Stream(int i) { return static_cast<TestStream*>(streams_[static_cast<size_t>(i)]); }
};

// A minimal input pin that takes every sample, answering only what an output pin asks of its
// peer. Its allocator is itself: the platform's, except that a decommit reports a failure.
struct SinkPin : IPin, IMemInputPin, IMemAllocator {
  explicit SinkPin(IMemAllocator* allocator) : allocator_(allocator) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IPin) *ppv = static_cast<IPin*>(this);
    if (riid == IID_IMemInputPin) *ppv = static_cast<IMemInputPin*>(this);
    if (riid == IID_IMemAllocator) *ppv = static_cast<IMemAllocator*>(this);
    return *ppv != nullptr ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives on the test's stack
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  // IPin
  STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
  STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return S_OK; }
  STDMETHODIMP Disconnect() override { return S_OK; }
  STDMETHODIMP ConnectedTo(IPin**) override { return E_NOTIMPL; }
  STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryPinInfo(PIN_INFO*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override {
    *direction = PINDIR_INPUT;
    return S_OK;
  }
  STDMETHODIMP QueryId(LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return S_OK; }
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
  STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  STDMETHODIMP EndOfStream() override { return S_OK; }
  STDMETHODIMP BeginFlush() override { return S_OK; }
  STDMETHODIMP EndFlush() override { return S_OK; }
  STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }
  // IMemInputPin
  STDMETHODIMP GetAllocator(IMemAllocator** allocator) override {
    *allocator = this;
    return S_OK;
  }
  STDMETHODIMP NotifyAllocator(IMemAllocator*, BOOL) override { return S_OK; }
  STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
  STDMETHODIMP Receive(IMediaSample*) override {
    InterlockedIncrement(&received);
    return S_OK;
  }
  STDMETHODIMP ReceiveMultiple(IMediaSample**, long, long*) override { return E_NOTIMPL; }
  STDMETHODIMP ReceiveCanBlock() override { return S_FALSE; }
  // IMemAllocator
  STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override {
    return allocator_->SetProperties(request, actual);
  }
  STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* props) override {
    return allocator_->GetProperties(props);
  }
  STDMETHODIMP Commit() override { return allocator_->Commit(); }
  STDMETHODIMP Decommit() override {
    allocator_->Decommit();
    return E_FAIL;
  }
  STDMETHODIMP GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                         DWORD flags) override {
    return allocator_->GetBuffer(sample, start, stop, flags);
  }
  STDMETHODIMP ReleaseBuffer(IMediaSample* sample) override {
    return allocator_->ReleaseBuffer(sample);
  }

  volatile LONG received = 0;
  IMemAllocator* allocator_;
};

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }
  void TearDown() override { CoUninitialize(); }
};

// The pin and type enumerators follow the source's changes; a pin without an acceptable type
// does not connect.
TEST_F(FrameworkTest, EnumeratorsFollowChangesAndNoAcceptableTypeFailsTheConnection) {
  auto* source = new TestSource(1);
  ComPtr<IBaseFilter> filter;
  source->NonDelegatingQueryInterface(IID_IBaseFilter, filter.put_void());
  ComPtr<IEnumPins> e;
  ASSERT_EQ(filter->EnumPins(e.put()), S_OK);
  ComPtr<IPin> first;
  ASSERT_EQ(e->Next(1, first.put(), nullptr), S_OK);
  source->AddStream();
  EXPECT_EQ(e->Skip(1), VFW_E_ENUM_OUT_OF_SYNC);
  ComPtr<IEnumPins> clone;
  EXPECT_EQ(e->Clone(clone.put()), VFW_E_ENUM_OUT_OF_SYNC);
  // Next refreshes itself and hands out only the pin not seen yet.
  IPin* pins[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(e->Next(3, pins, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(pins[0], static_cast<IPin*>(source->Stream(1)));
  pins[0]->Release();
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Next(3, pins, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 2u);
  for (ULONG i = 0; i < fetched; ++i) pins[i]->Release();
  EXPECT_EQ(e->Skip(1), S_FALSE);
  e->Reset();
  EXPECT_EQ(e->Skip(3), S_FALSE);
  EXPECT_EQ(e->Next(2, pins, nullptr), E_INVALIDARG);

  TestStream* stream = source->Stream(0);
  ComPtr<IEnumMediaTypes> types;
  ASSERT_EQ(stream->EnumMediaTypes(types.put()), S_OK);
  stream->BumpTypes();
  AM_MEDIA_TYPE* mt = nullptr;
  EXPECT_EQ(types->Next(1, &mt, nullptr), VFW_E_ENUM_OUT_OF_SYNC);
  EXPECT_EQ(types->Skip(1), VFW_E_ENUM_OUT_OF_SYNC);
  ComPtr<IEnumMediaTypes> types_clone;
  EXPECT_EQ(types->Clone(types_clone.put()), VFW_E_ENUM_OUT_OF_SYNC);
  EXPECT_EQ(types->Reset(), S_OK);
  ASSERT_EQ(types->Next(1, &mt, nullptr), S_OK);
  EXPECT_EQ(mt->subtype, MEDIASUBTYPE_RGB24);
  DeleteMediaType(mt);
  EXPECT_EQ(types->Skip(1), S_OK);
  EXPECT_EQ(types->Skip(1), S_FALSE);

  stream->accept_types = false;
  vl::tools::CaptureGraph graph;
  EXPECT_EQ(graph.Build(filter.get(), vl::tools::CaptureOptions{}), VFW_E_NO_ACCEPTABLE_TYPES);
  EXPECT_FALSE(stream->IsConnected());
}

// An error from FillBuffer aborts the stream with an event carrying it; S_FALSE ends the stream
// and the graph completes. Only the connected pin streams: a second, unconnected one is left
// alone.
TEST_F(FrameworkTest, FillBufferErrorAbortsAndFalseEndsTheStream) {
  const struct {
    HRESULT result;
    LONG good_samples;
    long event;
  } cases[] = {{E_ACCESSDENIED, 3, EC_ERRORABORT}, {S_FALSE, 4, EC_COMPLETE}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.event);
    auto* source = new TestSource(2);
    ComPtr<IBaseFilter> filter;
    source->NonDelegatingQueryInterface(IID_IBaseFilter, filter.put_void());
    source->Stream(0)->good_samples = c.good_samples;
    source->Stream(0)->result = c.result;
    vl::tools::CaptureOptions options;
    options.use_clock = false;
    vl::tools::CaptureGraph graph;
    ASSERT_EQ(graph.Build(filter.get(), options), S_OK);
    ComPtr<IMediaEventEx> events;
    ASSERT_EQ(graph.Graph()->QueryInterface(IID_IMediaEventEx, events.put_void()), S_OK);
    ASSERT_EQ(graph.Run(), S_OK);
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    bool ended = false;
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (!ended && GetTickCount64() < deadline) {
      if (events->GetEvent(&code, &p1, &p2, 100) != S_OK) continue;
      ended = code == c.event;
      if (ended && c.event == EC_ERRORABORT) {
        EXPECT_EQ(static_cast<HRESULT>(p1), c.result);
      }
      events->FreeEventParams(code, p1, p2);
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(graph.Records().size(), static_cast<size_t>(c.good_samples));
    EXPECT_EQ(graph.Stop(), S_OK);
    EXPECT_EQ(source->Stream(1)->filled, 0);
  }
}

TEST_F(FrameworkTest, StoppingEndsTheWorkerEvenWhenTheDecommitFails) {
  ComPtr<IMemAllocator> memory;
  ASSERT_EQ(CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IMemAllocator, memory.put_void()),
            S_OK);
  SinkPin sink(memory.get());
  auto* source = new TestSource(1);
  ComPtr<IBaseFilter> filter;
  source->NonDelegatingQueryInterface(IID_IBaseFilter, filter.put_void());
  TestStream* stream = source->Stream(0);
  ASSERT_EQ(stream->Connect(&sink, nullptr), S_OK);
  ASSERT_EQ(filter->Pause(), S_OK);
  for (int i = 0; i < 500 && sink.received < 3; ++i) Sleep(10);
  ASSERT_GE(sink.received, 3);
  // The failure is reported, and the worker is gone all the same.
  EXPECT_EQ(filter->Stop(), E_FAIL);
  EXPECT_FALSE(stream->ThreadExists());
  const LONG filled = stream->filled;
  Sleep(100);
  EXPECT_EQ(stream->filled, filled);
  EXPECT_EQ(stream->Disconnect(), S_OK);
}

}  // namespace
}  // namespace vl::vcam
