// The camera's filter and output pin in-process, created through the module's class factory
// without registration: filter and pin interfaces, media types, stream configuration, property
// set, enumerators and the streaming state machine.
#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>
#include <ks.h>
#include <ksmedia.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/dib_stride.h"
#include "tests/vcam/camera_modules_fixture.h"
#include "tools/vcam_capture/capture_graph.h"

namespace vl::test {
namespace {

// Frees a media type handed out by the camera.
struct OwnedType {
  AM_MEDIA_TYPE* mt = nullptr;
  ~OwnedType() {
    if (mt == nullptr) return;
    if (mt->pbFormat) CoTaskMemFree(mt->pbFormat);
    if (mt->pUnk) mt->pUnk->Release();
    CoTaskMemFree(mt);
  }
  const VIDEOINFO* Info() const { return reinterpret_cast<const VIDEOINFO*>(mt->pbFormat); }
};

class CameraStreamTest : public CameraModulesTest {
 protected:
  void SetUp() override {
    CameraModulesTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_HRESULT_SUCCEEDED(landscape_->CreateFilter(kLandscapeClsid, &filter_));
    pin_ = OutputPin(filter_.get());
    ASSERT_TRUE(pin_);
    ASSERT_HRESULT_SUCCEEDED(pin_.As(config_));
  }
  void TearDown() override {
    config_.reset();
    pin_.reset();
    filter_.reset();
    CameraModulesTest::TearDown();
  }

  std::vector<OwnedType> AllTypes() {
    std::vector<OwnedType> types(5);
    ComPtr<IEnumMediaTypes> e;
    EXPECT_HRESULT_SUCCEEDED(pin_->EnumMediaTypes(e.put()));
    for (auto& t : types) EXPECT_EQ(e->Next(1, &t.mt, nullptr), S_OK);
    return types;
  }

  ComPtr<IBaseFilter> filter_;
  ComPtr<IPin> pin_;
  ComPtr<IAMStreamConfig> config_;
};

TEST_F(CameraStreamTest, FilterIdentityAndInterfaces) {
  CLSID clsid;
  EXPECT_EQ(filter_->GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, kLandscapeClsid);
  ComPtr<IMediaFilter> media_filter;
  ComPtr<IPersist> persist;
  ComPtr<IAMovieSetup> setup;
  EXPECT_EQ(filter_.As(media_filter), S_OK);
  EXPECT_EQ(filter_.As(persist), S_OK);
  EXPECT_EQ(filter_.As(setup), S_OK);
  // Stream configuration and the pin category are reachable from the filter.
  ComPtr<IAMStreamConfig> config;
  ComPtr<IKsPropertySet> properties;
  ASSERT_EQ(filter_.As(config), S_OK);
  ASSERT_EQ(filter_.As(properties), S_OK);
  EXPECT_EQ(config.get(), config_.get());
  FILTER_STATE state;
  EXPECT_EQ(filter_->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Stopped);
}

bool ClassesRootKeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

TEST_F(CameraStreamTest, MovieSetupRegistersWhatTheModulesTemplateDescribes) {
  ComPtr<IAMovieSetup> setup;
  ASSERT_EQ(filter_.As(setup), S_OK);
  const std::string filter_key = "Filter\\{8E14549A-DB61-4309-AFA1-3578E927E934}";
  ASSERT_EQ(setup->Register(), S_OK);
  EXPECT_TRUE(ClassesRootKeyExists(filter_key));
  ASSERT_EQ(setup->Unregister(), S_OK);
  EXPECT_FALSE(ClassesRootKeyExists(filter_key));
}

TEST_F(CameraStreamTest, PinIdentityAndUnconnectedAnswers) {
  LPWSTR id = nullptr;
  ASSERT_EQ(pin_->QueryId(&id), S_OK);
  EXPECT_STREQ(id, L"Serel Cam(H)");
  CoTaskMemFree(id);
  PIN_INFO info;
  ASSERT_EQ(pin_->QueryPinInfo(&info), S_OK);
  EXPECT_EQ(info.dir, PINDIR_OUTPUT);
  EXPECT_STREQ(info.achName, L"Serel Cam(H)");
  EXPECT_EQ(info.pFilter, filter_.get());
  info.pFilter->Release();
  ComPtr<IPin> found;
  EXPECT_EQ(filter_->FindPin(L"Serel Cam(H)", found.put()), S_OK);
  EXPECT_EQ(found.get(), pin_.get());
  EXPECT_EQ(filter_->FindPin(L"Output", found.put()), VFW_E_NOT_FOUND);

  ComPtr<IPin> peer;
  EXPECT_EQ(pin_->ConnectedTo(peer.put()), VFW_E_NOT_CONNECTED);
  AM_MEDIA_TYPE mt;
  EXPECT_EQ(pin_->ConnectionMediaType(&mt), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(pin_->Disconnect(), S_FALSE);
  // An output pin takes no stream control from upstream.
  EXPECT_EQ(pin_->EndOfStream(), E_UNEXPECTED);
  EXPECT_EQ(pin_->BeginFlush(), E_UNEXPECTED);
  EXPECT_EQ(pin_->EndFlush(), E_UNEXPECTED);
  EXPECT_EQ(pin_->Connect(nullptr, nullptr), E_POINTER);
}

TEST_F(CameraStreamTest, FiveMediaTypesWithExactHeaders) {
  struct Expected {
    const GUID* subtype;
    WORD bits;
    DWORD compression;
    DWORD masks[3];
    DWORD colours;
  } const expected[] = {
      {&MEDIASUBTYPE_RGB32, 32, BI_RGB, {0, 0, 0}, 0},
      {&MEDIASUBTYPE_RGB24, 24, BI_RGB, {0, 0, 0}, 0},
      {&MEDIASUBTYPE_RGB565, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 0},
      {&MEDIASUBTYPE_RGB555, 16, BI_BITFIELDS, {0x7C00, 0x03E0, 0x001F}, 0},
      {&MEDIASUBTYPE_RGB8, 8, BI_RGB, {0, 0, 0}, 256},
  };
  std::vector<OwnedType> types = AllTypes();
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const AM_MEDIA_TYPE& mt = *types[i].mt;
    EXPECT_EQ(mt.majortype, MEDIATYPE_Video);
    EXPECT_EQ(mt.subtype, *expected[i].subtype);
    EXPECT_EQ(mt.formattype, FORMAT_VideoInfo);
    EXPECT_EQ(mt.cbFormat, 1128u);
    EXPECT_EQ(mt.bTemporalCompression, FALSE);
    EXPECT_EQ(mt.bFixedSizeSamples, TRUE);
    const VIDEOINFO* vi = types[i].Info();
    const BITMAPINFOHEADER& h = vi->bmiHeader;
    const DWORD image = static_cast<DWORD>(vl::DibRowStride(1280, expected[i].bits) * 720);
    EXPECT_EQ(mt.lSampleSize, image);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 1280);
    EXPECT_EQ(h.biHeight, 720);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, expected[i].bits);
    EXPECT_EQ(h.biCompression, expected[i].compression);
    EXPECT_EQ(h.biSizeImage, image);
    EXPECT_EQ(h.biClrUsed, expected[i].colours);
    EXPECT_EQ(h.biClrImportant, 0u);
    EXPECT_EQ(vi->AvgTimePerFrame, 333333);
    EXPECT_TRUE(IsRectEmpty(&vi->rcSource));
    EXPECT_TRUE(IsRectEmpty(&vi->rcTarget));
    if (expected[i].compression == BI_BITFIELDS) {
      for (int m = 0; m < 3; ++m) EXPECT_EQ(vi->dwBitMasks[m], expected[i].masks[m]);
    }
    // The rest of the block is zero.
    const BYTE* tail = mt.pbFormat + sizeof(VIDEOINFOHEADER) + 12;
    const BYTE* end = mt.pbFormat + mt.cbFormat;
    EXPECT_TRUE(std::all_of(tail, end, [](BYTE b) { return b == 0; }));
    EXPECT_EQ(pin_->QueryAccept(&mt), S_OK);
  }
}

TEST_F(CameraStreamTest, MediaTypeEnumeratorCountsSkipsResetsAndClones) {
  ComPtr<IEnumMediaTypes> e;
  ASSERT_EQ(pin_->EnumMediaTypes(e.put()), S_OK);
  AM_MEDIA_TYPE* got[6] = {};
  EXPECT_EQ(e->Next(2, got, nullptr), E_INVALIDARG);
  ULONG fetched = 0;
  EXPECT_EQ(e->Next(6, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 5u);
  for (ULONG i = 0; i < fetched; ++i) OwnedType owned{got[i]};
  EXPECT_EQ(e->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(4), S_OK);
  ComPtr<IEnumMediaTypes> clone;
  ASSERT_EQ(e->Clone(clone.put()), S_OK);
  OwnedType last;
  ASSERT_EQ(e->Next(1, &last.mt, nullptr), S_OK);
  EXPECT_EQ(last.mt->subtype, MEDIASUBTYPE_RGB8);
  OwnedType from_clone;
  ASSERT_EQ(clone->Next(1, &from_clone.mt, nullptr), S_OK);
  EXPECT_EQ(from_clone.mt->subtype, MEDIASUBTYPE_RGB8);
  EXPECT_EQ(e->Skip(1), S_FALSE);
  e->Reset();
  EXPECT_EQ(e->Skip(6), S_FALSE);
}

// Variants of the offered types with one change each: anything but the offered size and a
// header that says what the subtype says is refused, and a refusal changes nothing.
TEST_F(CameraStreamTest, TypesOtherThanTheOfferedSizeAndLayoutAreRefused) {
  using Change = void (*)(AM_MEDIA_TYPE*, BITMAPINFOHEADER*);
  const struct {
    const char* what;
    size_t base;  // 0 RGB32, 1 RGB24, 2 RGB565, 3 RGB555, 4 RGB8
    Change change;
    bool accepted;
  } cases[] = {
      {"width 640", 1, [](AM_MEDIA_TYPE*, BITMAPINFOHEADER* h) { h->biWidth = 640; }, false},
      {"height 480", 1, [](AM_MEDIA_TYPE*, BITMAPINFOHEADER* h) { h->biHeight = 480; }, false},
      {"top-down", 1, [](AM_MEDIA_TYPE*, BITMAPINFOHEADER* h) { h->biHeight = -720; }, false},
      {"YUY2", 1, [](AM_MEDIA_TYPE* m, BITMAPINFOHEADER*) { m->subtype = MEDIASUBTYPE_YUY2; },
       false},
      {"RGB4", 1, [](AM_MEDIA_TYPE* m, BITMAPINFOHEADER*) { m->subtype = MEDIASUBTYPE_RGB4; },
       false},
      {"audio", 1, [](AM_MEDIA_TYPE* m, BITMAPINFOHEADER*) { m->majortype = MEDIATYPE_Audio; },
       false},
      {"variable size", 1, [](AM_MEDIA_TYPE* m, BITMAPINFOHEADER*) { m->bFixedSizeSamples = 0; },
       false},
      {"no format block", 1,
       [](AM_MEDIA_TYPE* m, BITMAPINFOHEADER*) {
         m->pbFormat = nullptr;
         m->cbFormat = 0;
       },
       false},
      // A block too short for a header is not read.
      {"a short block", 1, [](AM_MEDIA_TYPE* m, BITMAPINFOHEADER*) { m->cbFormat = 40; }, false},
      {"RGB24 announcing 32 bits", 1,
       [](AM_MEDIA_TYPE*, BITMAPINFOHEADER* h) { h->biBitCount = 32; }, false},
      {"RGB32 announcing 24 bits", 0,
       [](AM_MEDIA_TYPE*, BITMAPINFOHEADER* h) { h->biBitCount = 24; }, false},
      {"RGB24 with bit fields", 1,
       [](AM_MEDIA_TYPE*, BITMAPINFOHEADER* h) { h->biCompression = BI_BITFIELDS; }, false},
      {"RGB565 without its bit fields", 2,
       [](AM_MEDIA_TYPE*, BITMAPINFOHEADER* h) { h->biCompression = BI_RGB; }, false},
      {"RGB555 comes either way", 3,
       [](AM_MEDIA_TYPE*, BITMAPINFOHEADER* h) { h->biCompression = BI_RGB; }, true},
      {"RGB8 announcing 16 bits", 4,
       [](AM_MEDIA_TYPE*, BITMAPINFOHEADER* h) { h->biBitCount = 16; }, false},
  };
  std::vector<OwnedType> types = AllTypes();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const OwnedType& base = types[c.base];
    AM_MEDIA_TYPE mt = *base.mt;
    std::vector<BYTE> format(base.mt->pbFormat, base.mt->pbFormat + base.mt->cbFormat);
    mt.pbFormat = format.data();
    c.change(&mt, &reinterpret_cast<VIDEOINFOHEADER*>(format.data())->bmiHeader);
    EXPECT_EQ(pin_->QueryAccept(&mt), c.accepted ? S_OK : S_FALSE);
    if (!c.accepted) {
      EXPECT_EQ(config_->SetFormat(&mt), E_INVALIDARG);
    }
  }
  EXPECT_EQ(config_->SetFormat(nullptr), E_POINTER);
  EXPECT_EQ(config_->GetFormat(nullptr), E_POINTER);
  // Nothing refused replaced the current type, the 24-bit one it starts with.
  {
    OwnedType current;
    ASSERT_EQ(config_->GetFormat(&current.mt), S_OK);
    ASSERT_EQ(current.mt->cbFormat, types[1].mt->cbFormat);
    EXPECT_EQ(std::memcmp(current.mt->pbFormat, types[1].mt->pbFormat, current.mt->cbFormat), 0);
  }
  // Positive heights of the offered size are accepted in every offered subtype, and the current
  // type follows each whole.
  for (const OwnedType& t : types) {
    ASSERT_EQ(config_->SetFormat(t.mt), S_OK);
    OwnedType current;
    ASSERT_EQ(config_->GetFormat(&current.mt), S_OK);
    EXPECT_EQ(current.mt->subtype, t.mt->subtype);
    ASSERT_EQ(current.mt->cbFormat, t.mt->cbFormat);
    EXPECT_EQ(std::memcmp(current.mt->pbFormat, t.mt->pbFormat, t.mt->cbFormat), 0);
  }
}

// The subtype of the type the camera's pin is connected with, or GUID_NULL.
GUID ConnectedSubtype(IPin* pin) {
  AM_MEDIA_TYPE mt;
  if (pin->ConnectionMediaType(&mt) != S_OK) return GUID_NULL;
  const GUID subtype = mt.subtype;
  CoTaskMemFree(mt.pbFormat);
  if (mt.pUnk != nullptr) mt.pUnk->Release();
  return subtype;
}

GUID CurrentSubtype(IAMStreamConfig* config) {
  OwnedType current;
  if (config->GetFormat(&current.mt) != S_OK) return GUID_NULL;
  return current.mt->subtype;
}

// While the graph runs nothing reconnects or changes the type under the renderer; stopping ends
// delivery and closes the worker thread.
TEST_F(CameraStreamTest, WhileStreamingTheConnectionStaysAndStoppingEndsTheWorker) {
  std::vector<OwnedType> types = AllTypes();
  vl::tools::CaptureOptions options;
  options.use_clock = false;
  vl::tools::CaptureGraph graph;
  ASSERT_EQ(graph.Build(filter_.get(), options), S_OK);
  // With no wish downstream the camera's first offer wins.
  ASSERT_EQ(ConnectedSubtype(pin_.get()), MEDIASUBTYPE_RGB32);
  ComPtr<IPin> peer;
  ASSERT_EQ(pin_->ConnectedTo(peer.put()), S_OK);
  EXPECT_EQ(pin_->Connect(peer.get(), nullptr), VFW_E_ALREADY_CONNECTED);
  ASSERT_EQ(graph.Run(), S_OK);
  EXPECT_EQ(config_->SetFormat(types[1].mt), VFW_E_NOT_STOPPED);
  EXPECT_EQ(pin_->Disconnect(), VFW_E_NOT_STOPPED);
  ASSERT_TRUE(graph.WaitForSamples(3, 10000));
  ASSERT_EQ(graph.Stop(), S_OK);
  EXPECT_EQ(ConnectedSubtype(pin_.get()), MEDIASUBTYPE_RGB32);
  EXPECT_EQ(CurrentSubtype(config_.get()), MEDIASUBTYPE_RGB32);
  for (const auto& record : graph.Records()) EXPECT_EQ(record.length, 1280 * 720 * 4);
  // Once more, with the platform's own threads of a running graph already up: after the stop
  // nothing is delivered and no thread of ours is left over.
  const int before = ThreadCount();
  graph.ClearRecords();
  ASSERT_EQ(graph.Run(), S_OK);
  ASSERT_TRUE(graph.WaitForSamples(3, 10000));
  ASSERT_EQ(graph.Stop(), S_OK);
  const size_t delivered = graph.Records().size();
  Sleep(200);
  EXPECT_EQ(graph.Records().size(), delivered);
  FILTER_STATE state;
  EXPECT_EQ(filter_->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Stopped);
  EXPECT_LE(ThreadCount(), before);
}

TEST_F(CameraStreamTest, SetFormatOnAConnectedPinAsksThePeerFirst) {
  std::vector<OwnedType> types = AllTypes();
  vl::tools::CaptureOptions options;
  options.subtype = MEDIASUBTYPE_RGB24;  // the grabber takes nothing else
  options.use_clock = false;
  vl::tools::CaptureGraph graph;
  ASSERT_EQ(graph.Build(filter_.get(), options), S_OK);
  ASSERT_EQ(ConnectedSubtype(pin_.get()), MEDIASUBTYPE_RGB24);
  EXPECT_EQ(config_->SetFormat(types[0].mt), VFW_E_INVALIDMEDIATYPE);
  EXPECT_EQ(ConnectedSubtype(pin_.get()), MEDIASUBTYPE_RGB24);
  EXPECT_EQ(CurrentSubtype(config_.get()), MEDIASUBTYPE_RGB24);
  // A format the peer accepts reconnects the pins with it, and samples keep flowing.
  EXPECT_EQ(config_->SetFormat(types[1].mt), S_OK);
  EXPECT_EQ(ConnectedSubtype(pin_.get()), MEDIASUBTYPE_RGB24);
  ASSERT_EQ(graph.Run(), S_OK);
  EXPECT_TRUE(graph.WaitForSamples(3, 10000));
  ASSERT_EQ(graph.Stop(), S_OK);
  for (const auto& record : graph.Records()) EXPECT_EQ(record.length, 1280 * 720 * 3);
}

TEST_F(CameraStreamTest, FormatSetBeforeConnectingIsOfferedFirstAndConnected) {
  std::vector<OwnedType> types = AllTypes();
  ASSERT_EQ(config_->SetFormat(types[2].mt), S_OK);  // RGB565
  ComPtr<IEnumMediaTypes> e;
  ASSERT_EQ(pin_->EnumMediaTypes(e.put()), S_OK);
  std::vector<GUID> offered;
  for (AM_MEDIA_TYPE* mt = nullptr; e->Next(1, &mt, nullptr) == S_OK; mt = nullptr) {
    OwnedType owned;
    owned.mt = mt;
    offered.push_back(mt->subtype);
  }
  ASSERT_EQ(offered.size(), 6u);
  EXPECT_EQ(offered[0], MEDIASUBTYPE_RGB565);
  EXPECT_EQ(offered[1], MEDIASUBTYPE_RGB32);
  // A capture program that sets a format and then connects gets that format.
  vl::tools::CaptureOptions any;
  any.subtype = GUID_NULL;
  vl::tools::CaptureGraph graph;
  ASSERT_EQ(graph.Build(filter_.get(), any), S_OK);
  EXPECT_EQ(ConnectedSubtype(pin_.get()), MEDIASUBTYPE_RGB565);
}

TEST_F(CameraStreamTest, TheBufferHoldsAWholePictureWhenTheTypeStatesNoImageSize) {
  std::vector<OwnedType> types = AllTypes();
  AM_MEDIA_TYPE mt = *types[1].mt;  // RGB24, as a capture program may leave biSizeImage at 0
  std::vector<BYTE> format(mt.pbFormat, mt.pbFormat + mt.cbFormat);
  mt.pbFormat = format.data();
  reinterpret_cast<VIDEOINFOHEADER*>(format.data())->bmiHeader.biSizeImage = 0;
  ASSERT_EQ(config_->SetFormat(&mt), S_OK);
  vl::tools::CaptureOptions any;
  any.subtype = GUID_NULL;
  vl::tools::CaptureGraph graph;
  ASSERT_EQ(graph.Build(filter_.get(), any), S_OK);
  ComPtr<IPin> peer;
  ASSERT_EQ(pin_->ConnectedTo(peer.put()), S_OK);
  ComPtr<IMemInputPin> input;
  ASSERT_EQ(peer.As(input), S_OK);
  ComPtr<IMemAllocator> allocator;
  ASSERT_EQ(input->GetAllocator(allocator.put()), S_OK);
  ALLOCATOR_PROPERTIES properties{};
  ASSERT_EQ(allocator->GetProperties(&properties), S_OK);
  EXPECT_GE(properties.cbBuffer, 1280 * 720 * 3);
}

TEST_F(CameraStreamTest, AFailedConnectionLeavesThePinsTypeAsItWas) {
  std::vector<OwnedType> types = AllTypes();
  ComPtr<IGraphBuilder> graph;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                             graph.put_void()),
            S_OK);
  ComPtr<IBaseFilter> grabber_filter;
  ASSERT_EQ(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                             grabber_filter.put_void()),
            S_OK);
  ComPtr<ISampleGrabber> grabber;
  ASSERT_EQ(grabber_filter.As(grabber), S_OK);
  AM_MEDIA_TYPE wanted = {};
  wanted.majortype = MEDIATYPE_Video;
  wanted.subtype = MEDIASUBTYPE_RGB24;
  ASSERT_EQ(grabber->SetMediaType(&wanted), S_OK);
  ASSERT_EQ(graph->AddFilter(filter_.get(), L"Camera"), S_OK);
  ASSERT_EQ(graph->AddFilter(grabber_filter.get(), L"Grabber"), S_OK);
  ComPtr<IEnumPins> pins;
  ASSERT_EQ(grabber_filter->EnumPins(pins.put()), S_OK);
  ComPtr<IPin> grabber_in;
  for (ComPtr<IPin> pin; pins->Next(1, pin.put(), nullptr) == S_OK;) {
    PIN_DIRECTION direction;
    if (pin->QueryDirection(&direction) == S_OK && direction == PINDIR_INPUT) grabber_in = pin;
  }
  ASSERT_TRUE(grabber_in);
  // The camera takes RGB32, the grabber refuses it: the connection fails.
  EXPECT_TRUE(FAILED(pin_->Connect(grabber_in.get(), types[0].mt)));
  ComPtr<IPin> peer;
  EXPECT_EQ(pin_->ConnectedTo(peer.put()), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(CurrentSubtype(config_.get()), MEDIASUBTYPE_RGB24);
  OwnedType current;
  ASSERT_EQ(config_->GetFormat(&current.mt), S_OK);
  EXPECT_EQ(current.Info()->bmiHeader.biBitCount, 24);
  ASSERT_EQ(graph->RemoveFilter(filter_.get()), S_OK);
}

TEST_F(CameraStreamTest, StreamCapsDescribeOneFixed24BitFormat) {
  int count = 0, size = 0;
  ASSERT_EQ(config_->GetNumberOfCapabilities(&count, &size), S_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(size, 128);
  // Whatever the current type, the capabilities describe 24-bit RGB.
  std::vector<OwnedType> types = AllTypes();
  ASSERT_EQ(config_->SetFormat(types[0].mt), S_OK);

  VIDEO_STREAM_CONFIG_CAPS caps0, caps5;
  std::memset(&caps0, 0xCC, sizeof(caps0));
  std::memset(&caps5, 0x33, sizeof(caps5));
  OwnedType t0, t5;
  ASSERT_EQ(config_->GetStreamCaps(0, &t0.mt, reinterpret_cast<BYTE*>(&caps0)), S_OK);
  ASSERT_EQ(config_->GetStreamCaps(5, &t5.mt, reinterpret_cast<BYTE*>(&caps5)), S_OK);
  EXPECT_EQ(std::memcmp(&caps0, &caps5, sizeof(caps0)), 0);
  ASSERT_EQ(t0.mt->cbFormat, t5.mt->cbFormat);
  EXPECT_EQ(std::memcmp(t0.mt->pbFormat, t5.mt->pbFormat, t0.mt->cbFormat), 0);

  EXPECT_EQ(caps0.guid, FORMAT_VideoInfo);
  EXPECT_EQ(caps0.VideoStandard, 0u);
  for (const SIZE& s : {caps0.InputSize, caps0.MinCroppingSize, caps0.MaxCroppingSize,
                        caps0.MinOutputSize, caps0.MaxOutputSize}) {
    EXPECT_EQ(s.cx, 1280);
    EXPECT_EQ(s.cy, 720);
  }
  EXPECT_EQ(caps0.CropGranularityX, 1280);
  EXPECT_EQ(caps0.CropGranularityY, 720);
  for (const int zero :
       {caps0.CropAlignX, caps0.CropAlignY, caps0.OutputGranularityX, caps0.OutputGranularityY,
        caps0.StretchTapsX, caps0.StretchTapsY, caps0.ShrinkTapsX, caps0.ShrinkTapsY})
    EXPECT_EQ(zero, 0);
  EXPECT_EQ(caps0.MinFrameInterval, 200000);
  EXPECT_EQ(caps0.MaxFrameInterval, 50000000);
  EXPECT_EQ(caps0.MinBitsPerSecond, 1280 * 720 * 24 / 5);
  EXPECT_EQ(caps0.MaxBitsPerSecond, 1280 * 720 * 1200);

  // The type is the offered 24-bit one, whose every field the media type test checks.
  const AM_MEDIA_TYPE& mt = *t0.mt;
  EXPECT_EQ(mt.majortype, MEDIATYPE_Video);
  EXPECT_EQ(mt.subtype, MEDIASUBTYPE_RGB24);
  EXPECT_EQ(mt.formattype, FORMAT_VideoInfo);
  EXPECT_EQ(mt.lSampleSize, 2764800u);
  ASSERT_EQ(mt.cbFormat, types[1].mt->cbFormat);
  EXPECT_EQ(std::memcmp(mt.pbFormat, types[1].mt->pbFormat, mt.cbFormat), 0);
  // What the capabilities advertise is accepted back.
  EXPECT_EQ(config_->SetFormat(t0.mt), S_OK);
  EXPECT_EQ(config_->GetStreamCaps(0, nullptr, reinterpret_cast<BYTE*>(&caps0)), E_POINTER);
}

TEST_F(CameraStreamTest, PinCategoryPropertyAnswersAndErrors) {
  ComPtr<IKsPropertySet> ks;
  ASSERT_EQ(pin_.As(ks), S_OK);
  GUID category = GUID_NULL;
  DWORD returned = 0;
  EXPECT_EQ(ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category,
                    sizeof(category), &returned),
            S_OK);
  EXPECT_EQ(category, PIN_CATEGORY_CAPTURE);
  EXPECT_EQ(returned, 16u);
  EXPECT_EQ(
      ks->Get(PIN_CATEGORY_CAPTURE, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, 16, &returned),
      E_PROP_SET_UNSUPPORTED);
  EXPECT_EQ(ks->Get(AMPROPSETID_Pin, 1, nullptr, 0, &category, 16, &returned),
            E_PROP_ID_UNSUPPORTED);
  EXPECT_EQ(ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, nullptr, 0, nullptr),
            E_POINTER);
  returned = 0;
  EXPECT_EQ(ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, nullptr, 0, &returned),
            S_OK);
  EXPECT_EQ(returned, 16u);
  EXPECT_EQ(ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, 15, &returned),
            E_UNEXPECTED);
  DWORD support = 0;
  EXPECT_EQ(ks->QuerySupported(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, &support), S_OK);
  EXPECT_EQ(support, static_cast<DWORD>(KSPROPERTY_SUPPORT_GET));
  EXPECT_EQ(ks->QuerySupported(GUID_NULL, AMPROPERTY_PIN_CATEGORY, &support),
            E_PROP_SET_UNSUPPORTED);
  EXPECT_EQ(ks->QuerySupported(AMPROPSETID_Pin, 7, &support), E_PROP_ID_UNSUPPORTED);
  EXPECT_EQ(ks->Set(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, 16),
            E_NOTIMPL);
}

TEST_F(CameraStreamTest, PausingAnUnconnectedFilterStartsNoThread) {
  const int before = ThreadCount();
  ASSERT_GT(before, 0);
  EXPECT_EQ(filter_->Pause(), S_OK);
  FILTER_STATE state;
  EXPECT_EQ(filter_->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Paused);
  Sleep(100);
  EXPECT_EQ(ThreadCount(), before);
  EXPECT_EQ(filter_->Run(0), S_OK);
  EXPECT_EQ(filter_->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Running);
  EXPECT_EQ(ThreadCount(), before);
  EXPECT_EQ(filter_->Stop(), S_OK);
}

// From zero at every start, whole frames apart, with a graph clock and without: a camera held up
// by a busy machine skips the frames it missed rather than stamping late, and a stalled renderer
// would hold the first sample for ever.
TEST_F(CameraStreamTest, EveryStartOfStreamingStampsFromZero) {
  for (const bool use_clock : {false, true}) {
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(landscape_->CreateFilter(kLandscapeClsid, &filter), S_OK);
    vl::tools::CaptureOptions options;
    options.use_clock = use_clock;
    vl::tools::CaptureGraph graph;
    ASSERT_EQ(graph.Build(filter.get(), options), S_OK);
    ASSERT_EQ(graph.HasClock(), use_clock);
    for (int run = 0; run < 2; ++run) {
      SCOPED_TRACE(testing::Message()
                   << (use_clock ? "graph clock, run " : "no clock, run ") << run);
      graph.ClearRecords();
      ASSERT_EQ(graph.Run(), S_OK);
      ASSERT_TRUE(graph.WaitForSamples(4, 10000));
      ASSERT_EQ(graph.Stop(), S_OK);
      const std::vector<vl::tools::SampleRecord> records = graph.Records();
      ASSERT_GE(records.size(), 4u);
      EXPECT_EQ(records.front().start, 0);
      for (size_t i = 0; i < records.size(); ++i) {
        ASSERT_TRUE(records[i].has_time);
        EXPECT_EQ(records[i].start % 333333, 0);
        if (i > 0) {
          EXPECT_GT(records[i].start, records[i - 1].start);
        }
        EXPECT_EQ(records[i].stop, records[i].start + 333333);
      }
    }
  }
}

TEST_F(CameraStreamTest, PortraitBuildIdentityAndSize) {
  ComPtr<IBaseFilter> filter;
  ASSERT_EQ(portrait_->CreateFilter(kPortraitClsid, &filter), S_OK);
  CLSID clsid;
  ASSERT_EQ(filter->GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, kPortraitClsid);
  ComPtr<IPin> pin = OutputPin(filter.get());
  ASSERT_TRUE(pin);
  LPWSTR id = nullptr;
  ASSERT_EQ(pin->QueryId(&id), S_OK);
  EXPECT_STREQ(id, L"Serel Cam(V)");
  CoTaskMemFree(id);
  ComPtr<IAMStreamConfig> config;
  ASSERT_EQ(pin.As(config), S_OK);
  // Its current type's size is what the capture graph builder test reads.
  VIDEO_STREAM_CONFIG_CAPS caps;
  OwnedType caps_type;
  ASSERT_EQ(config->GetStreamCaps(0, &caps_type.mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
  EXPECT_EQ(caps.MaxOutputSize.cx, 720);
  EXPECT_EQ(caps.MaxOutputSize.cy, 1280);
  EXPECT_EQ(caps.CropGranularityX, 720);
}

}  // namespace
}  // namespace vl::test
