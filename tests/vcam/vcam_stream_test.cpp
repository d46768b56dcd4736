// The camera modules in-process, without registration: their entry points (the export table,
// DllGetClassObject, the class factory, aggregation, DllCanUnloadNow), then the filter and
// output pin created through the class factory: filter and pin interfaces, media types, stream
// configuration, property set, enumerators and the streaming state machine.
#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>
#include <ks.h>
#include <ksmedia.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/dib_stride.h"
#include "tests/vcam/camera_module.h"
#include "tools/vcam_capture/capture_graph.h"
#include "vcam/camera_format.h"

namespace vl::test {
namespace {

// A controlling object that aggregates the camera filter.
class Outer : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (riid != IID_IUnknown) return inner_->QueryInterface(riid, ppv);
    *ppv = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  ULONG refs_ = 1;
  IUnknown* inner_ = nullptr;
};

// The entry points first, while no object of the modules was made in this process. Each
// module's export directory names exactly the five entry points. DllCanUnloadNow counts
// factories, locks and objects. DllGetClassObject hands out only its own class factory, whose
// CreateInstance checks its arguments; a filter it creates for an outer object delegates to it.
TEST_F(CameraModulesTest, ExportsUnloadingTheClassFactoryAndAggregation) {
  for (const CameraModule* module : {landscape_, portrait_}) {
    auto* base = reinterpret_cast<const BYTE*>(module->module_);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    EXPECT_EQ(exports->NumberOfNames, 5u);
    for (const char* name : {"DllCanUnloadNow", "DllGetClassObject", "DllMain", "DllRegisterServer",
                             "DllUnregisterServer"})
      EXPECT_NE(GetProcAddress(module->module_, name), nullptr) << name;
  }
  {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(landscape_->GetClassObject(kLandscapeClsid, IID_IClassFactory, factory.put_void()),
              S_OK);
    EXPECT_EQ(landscape_->CanUnloadNow(), S_FALSE);
    factory->LockServer(TRUE);
    factory.reset();
    EXPECT_EQ(landscape_->CanUnloadNow(), S_FALSE);
    ASSERT_EQ(landscape_->GetClassObject(kLandscapeClsid, IID_IClassFactory, factory.put_void()),
              S_OK);
    factory->LockServer(FALSE);
  }
  EXPECT_EQ(landscape_->CanUnloadNow(), S_OK);
  ComPtr<IEnumPins> pins;
  {
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(landscape_->CreateFilter(kLandscapeClsid, &filter), S_OK);
    EXPECT_EQ(landscape_->CanUnloadNow(), S_FALSE);
    ASSERT_EQ(filter->EnumPins(pins.put()), S_OK);
  }
  // The enumerator holds the filter.
  EXPECT_EQ(landscape_->CanUnloadNow(), S_FALSE);
  pins.reset();
  EXPECT_EQ(landscape_->CanUnloadNow(), S_OK);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(landscape_->GetClassObject(kPortraitClsid, IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(landscape_->GetClassObject(CLSID_NULL, IID_IUnknown, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(landscape_->GetClassObject(kLandscapeClsid, IID_IPersist, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(portrait_->GetClassObject(kLandscapeClsid, IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  ComPtr<IUnknown> outer_stand_in;
  ASSERT_EQ(landscape_->GetClassObject(kLandscapeClsid, IID_IUnknown, outer_stand_in.put_void()),
            S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(outer_stand_in.As(factory), S_OK);
  ComPtr<IPersist> not_there;
  EXPECT_EQ(outer_stand_in.As(not_there), E_NOINTERFACE);

  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IBaseFilter, nullptr), E_POINTER);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(outer_stand_in.get(), IID_IBaseFilter, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  ComPtr<IAMStreamConfig> config;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IAMStreamConfig, config.put_void()), S_OK);
  ComPtr<IDispatch> none;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, none.put_void()), E_NOINTERFACE);

  Outer outer;
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner_)),
            S_OK);
  IBaseFilter* filter = nullptr;
  ASSERT_EQ(outer.inner_->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter)), S_OK);
  // The filter's public IUnknown is the outer object's, and its references go there.
  EXPECT_EQ(outer.refs_, 2u);
  IUnknown* identity = nullptr;
  ASSERT_EQ(filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
  identity->Release();
  filter->Release();
  EXPECT_EQ(outer.refs_, 1u);
  EXPECT_EQ(outer.inner_->Release(), 0u);
}

// Frees a media type handed out by the camera (a video type holds no object).
struct OwnedType {
  AM_MEDIA_TYPE* mt = nullptr;
  ~OwnedType() {
    if (mt == nullptr) return;
    if (mt->pbFormat) CoTaskMemFree(mt->pbFormat);
    CoTaskMemFree(mt);
  }
};

// The subtype of the type the camera's pin is connected with, or GUID_NULL.
GUID ConnectedSubtype(IPin* pin) {
  AM_MEDIA_TYPE mt;
  if (pin->ConnectionMediaType(&mt) != S_OK) return GUID_NULL;
  CoTaskMemFree(mt.pbFormat);
  return mt.subtype;
}

// The current type of `config`, compared whole with `want`.
void ExpectCurrentType(IAMStreamConfig* config, const AM_MEDIA_TYPE& want) {
  OwnedType current;
  ASSERT_EQ(config->GetFormat(&current.mt), S_OK);
  EXPECT_EQ(current.mt->subtype, want.subtype);
  ASSERT_EQ(current.mt->cbFormat, want.cbFormat);
  EXPECT_EQ(std::memcmp(current.mt->pbFormat, want.pbFormat, want.cbFormat), 0);
}

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

// Each build as a capture program meets it before connecting: its identity and interfaces, its
// pin's answers and category, its size, the registration its template describes, and a pause
// that starts no thread.
TEST_F(CameraStreamTest, EachBuildsFilterAndPinBeforeConnecting) {
  // Pausing and running while unconnected start no thread.
  const int before = ThreadCount();
  ASSERT_GT(before, 0);
  FILTER_STATE state;
  EXPECT_EQ(filter_->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Stopped);
  EXPECT_EQ(filter_->Pause(), S_OK);
  EXPECT_EQ(filter_->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Paused);
  Sleep(100);
  EXPECT_EQ(ThreadCount(), before);
  EXPECT_EQ(filter_->Run(0), S_OK);
  EXPECT_EQ(filter_->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Running);
  EXPECT_EQ(ThreadCount(), before);
  EXPECT_EQ(filter_->Stop(), S_OK);
  const struct {
    CameraModule* module;
    CLSID clsid;
    const wchar_t* pin_name;
    const char* filter_key;
    LONG width, height;
  } builds[] = {
      {landscape_, kLandscapeClsid, L"Serel Cam(H)",
       "Filter\\{8E14549A-DB61-4309-AFA1-3578E927E934}", 1280, 720},
      {portrait_, kPortraitClsid, L"Serel Cam(V)", "Filter\\{1B914DED-3DEF-4AD0-B158-EA0A7B34FC80}",
       720, 1280},
  };
  for (const auto& b : builds) {
    SCOPED_TRACE(b.filter_key);
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(b.module->CreateFilter(b.clsid, &filter), S_OK);
    CLSID clsid;
    EXPECT_EQ(filter->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, b.clsid);
    // Stream configuration and the pin category are reachable from the filter too.
    for (const IID* iid : {&IID_IMediaFilter, &IID_IPersist, &IID_IKsPropertySet}) {
      ComPtr<IUnknown> found;
      EXPECT_EQ(filter->QueryInterface(*iid, found.put_void()), S_OK);
    }
    ComPtr<IAMovieSetup> setup;
    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(filter.As(setup), S_OK);
    ASSERT_EQ(filter.As(config), S_OK);
    ASSERT_EQ(setup->Register(), S_OK);
    EXPECT_TRUE(ClassesRootKeyExists(b.filter_key));
    ASSERT_EQ(setup->Unregister(), S_OK);
    EXPECT_FALSE(ClassesRootKeyExists(b.filter_key));

    ComPtr<IPin> pin = OutputPin(filter.get());
    ASSERT_TRUE(pin);
    LPWSTR id = nullptr;
    ASSERT_EQ(pin->QueryId(&id), S_OK);
    EXPECT_STREQ(id, b.pin_name);
    CoTaskMemFree(id);
    PIN_INFO info;
    ASSERT_EQ(pin->QueryPinInfo(&info), S_OK);
    EXPECT_EQ(info.dir, PINDIR_OUTPUT);
    EXPECT_STREQ(info.achName, b.pin_name);
    EXPECT_EQ(info.pFilter, filter.get());
    info.pFilter->Release();
    ComPtr<IPin> found;
    EXPECT_EQ(filter->FindPin(b.pin_name, found.put()), S_OK);
    EXPECT_EQ(found.get(), pin.get());
    EXPECT_EQ(filter->FindPin(L"Output", found.put()), VFW_E_NOT_FOUND);
    ComPtr<IPin> peer;
    EXPECT_EQ(pin->ConnectedTo(peer.put()), VFW_E_NOT_CONNECTED);
    AM_MEDIA_TYPE mt;
    EXPECT_EQ(pin->ConnectionMediaType(&mt), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(pin->Disconnect(), S_FALSE);
    // An output pin takes no stream control from upstream.
    EXPECT_EQ(pin->EndOfStream(), E_UNEXPECTED);
    EXPECT_EQ(pin->BeginFlush(), E_UNEXPECTED);
    EXPECT_EQ(pin->EndFlush(), E_UNEXPECTED);
    EXPECT_EQ(pin->Connect(nullptr, nullptr), E_POINTER);

    // The pin category property: only its get, with a buffer of at least a GUID.
    ComPtr<IKsPropertySet> ks;
    ASSERT_EQ(pin.As(ks), S_OK);
    GUID category = GUID_NULL;
    DWORD returned = 0;
    const GUID& kPin = AMPROPSETID_Pin;
    const DWORD kCategory = AMPROPERTY_PIN_CATEGORY;
    EXPECT_EQ(ks->Get(kPin, kCategory, nullptr, 0, &category, 16, &returned), S_OK);
    EXPECT_EQ(category, PIN_CATEGORY_CAPTURE);
    EXPECT_EQ(returned, 16u);
    EXPECT_EQ(ks->Get(PIN_CATEGORY_CAPTURE, kCategory, nullptr, 0, &category, 16, &returned),
              E_PROP_SET_UNSUPPORTED);
    EXPECT_EQ(ks->Get(kPin, 1, nullptr, 0, &category, 16, &returned), E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(ks->Get(kPin, kCategory, nullptr, 0, nullptr, 0, nullptr), E_POINTER);
    returned = 0;
    EXPECT_EQ(ks->Get(kPin, kCategory, nullptr, 0, nullptr, 0, &returned), S_OK);
    EXPECT_EQ(returned, 16u);
    EXPECT_EQ(ks->Get(kPin, kCategory, nullptr, 0, &category, 15, &returned), E_UNEXPECTED);
    DWORD support = 0;
    EXPECT_EQ(ks->QuerySupported(kPin, kCategory, &support), S_OK);
    EXPECT_EQ(support, static_cast<DWORD>(KSPROPERTY_SUPPORT_GET));
    EXPECT_EQ(ks->QuerySupported(GUID_NULL, kCategory, &support), E_PROP_SET_UNSUPPORTED);
    EXPECT_EQ(ks->QuerySupported(kPin, 7, &support), E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(ks->Set(kPin, kCategory, nullptr, 0, &category, 16), E_NOTIMPL);

    // Capture applications find the pin by its category, and its configuration through it.
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                               graph.put_void()),
              S_OK);
    ComPtr<ICaptureGraphBuilder2> builder;
    ASSERT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ICaptureGraphBuilder2, builder.put_void()),
              S_OK);
    ASSERT_EQ(builder->SetFiltergraph(graph.get()), S_OK);
    ASSERT_EQ(graph->AddFilter(filter.get(), L"Camera"), S_OK);
    ComPtr<IPin> capture_pin;
    ASSERT_EQ(builder->FindPin(filter.get(), PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                               FALSE, 0, capture_pin.put()),
              S_OK);
    EXPECT_EQ(capture_pin.get(), pin.get());
    ComPtr<IPin> preview_pin;
    EXPECT_TRUE(FAILED(builder->FindPin(filter.get(), PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW,
                                        &MEDIATYPE_Video, FALSE, 0, preview_pin.put())));
    ComPtr<IAMStreamConfig> found_config;
    ASSERT_EQ(builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, filter.get(),
                                     IID_IAMStreamConfig, found_config.put_void()),
              S_OK);
    EXPECT_EQ(found_config.get(), config.get());
    VIDEO_STREAM_CONFIG_CAPS caps;
    OwnedType caps_type;
    ASSERT_EQ(config->GetStreamCaps(0, &caps_type.mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
    EXPECT_EQ(caps.MaxOutputSize.cx, b.width);
    EXPECT_EQ(caps.MaxOutputSize.cy, b.height);
    EXPECT_EQ(caps.CropGranularityX, b.width);
    ASSERT_EQ(graph->RemoveFilter(filter.get()), S_OK);
  }
}

// The enumerator counts, skips, resets and clones (skipping past the end is source_stream_test's
// case); the five types carry exact headers; a format set before connecting is offered first.
TEST_F(CameraStreamTest, FiveMediaTypesWithExactHeadersAndTheSetFormatFirst) {
  ComPtr<IEnumMediaTypes> e;
  ASSERT_EQ(pin_->EnumMediaTypes(e.put()), S_OK);
  AM_MEDIA_TYPE* got[6] = {};
  EXPECT_EQ(e->Next(2, got, nullptr), E_INVALIDARG);
  ULONG fetched = 0;
  EXPECT_EQ(e->Next(6, got, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 5u);
  std::vector<OwnedType> types(5);
  for (ULONG i = 0; i < fetched; ++i) types[i].mt = got[i];
  EXPECT_EQ(e->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(4), S_OK);
  ComPtr<IEnumMediaTypes> clone;
  ASSERT_EQ(e->Clone(clone.put()), S_OK);
  OwnedType from_clone;
  ASSERT_EQ(clone->Next(1, &from_clone.mt, nullptr), S_OK);
  EXPECT_EQ(from_clone.mt->subtype, MEDIASUBTYPE_RGB8);

  // The headers are the offered format table's, whose every entry camera_format_test checks.
  const GUID* subtypes[] = {&MEDIASUBTYPE_RGB32, &MEDIASUBTYPE_RGB24, &MEDIASUBTYPE_RGB565,
                            &MEDIASUBTYPE_RGB555, &MEDIASUBTYPE_RGB8};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const AM_MEDIA_TYPE& mt = *types[i].mt;
    vl::vcam::OfferedFormat x;
    ASSERT_TRUE(vl::vcam::GetOfferedFormat(i, &x));
    EXPECT_EQ(mt.majortype, MEDIATYPE_Video);
    EXPECT_EQ(mt.subtype, *subtypes[i]);
    EXPECT_EQ(mt.formattype, FORMAT_VideoInfo);
    EXPECT_EQ(mt.bTemporalCompression, FALSE);
    EXPECT_EQ(mt.bFixedSizeSamples, TRUE);
    const WORD bits = static_cast<WORD>(x.bit_count);
    const DWORD image = static_cast<DWORD>(vl::DibRowStride(1280, bits) * 720);
    EXPECT_EQ(mt.lSampleSize, image);
    // The whole block: the header, bit fields' masks, empty rectangles, every other byte zero.
    VIDEOINFO want;
    std::memset(&want, 0, sizeof(want));
    want.AvgTimePerFrame = 333333;
    want.bmiHeader = {40, 1280, 720, 1, bits, x.compression, image, 0, 0, x.colours_used, 0};
    std::copy(x.masks, x.masks + 3, want.dwBitMasks);
    ASSERT_EQ(mt.cbFormat, 1128u);
    EXPECT_EQ(std::memcmp(mt.pbFormat, &want, sizeof(want)), 0);
    EXPECT_EQ(pin_->QueryAccept(&mt), S_OK);
  }

  ASSERT_EQ(config_->SetFormat(types[2].mt), S_OK);  // RGB565
  ASSERT_EQ(pin_->EnumMediaTypes(e.put()), S_OK);
  std::vector<GUID> offered;
  for (AM_MEDIA_TYPE* mt = nullptr; e->Next(1, &mt, nullptr) == S_OK; mt = nullptr) {
    OwnedType owned{mt};
    offered.push_back(mt->subtype);
  }
  ASSERT_EQ(offered.size(), 6u);
  EXPECT_EQ(offered[0], MEDIASUBTYPE_RGB565);
  EXPECT_EQ(offered[1], MEDIASUBTYPE_RGB32);
  // A capture program that sets a format and then connects gets that format.
  vl::tools::CaptureGraph graph;
  ASSERT_EQ(graph.Build(filter_.get(), vl::tools::CaptureOptions{}), S_OK);
  EXPECT_EQ(ConnectedSubtype(pin_.get()), MEDIASUBTYPE_RGB565);
}

// Variants of the offered types with one change each: anything but the offered size and a
// header that says what the subtype says is refused, and a refusal changes nothing. The stream
// capabilities describe one fixed 24-bit format, which SetFormat takes back.
TEST_F(CameraStreamTest, OnlyTheOfferedSizeAndLayoutAreTakenAndTheCapsDescribeOne) {
  using Change = void (*)(AM_MEDIA_TYPE & m, BITMAPINFOHEADER & h);
  const struct {
    const char* what;
    size_t base;  // 0 RGB32, 1 RGB24, 2 RGB565, 3 RGB555, 4 RGB8
    Change change;
  } variants[] = {
      {"width 640", 1, [](auto& m, auto& h) { h.biWidth = 640; }},
      {"height 480", 1, [](auto& m, auto& h) { h.biHeight = 480; }},
      {"top-down", 1, [](auto& m, auto& h) { h.biHeight = -720; }},
      {"YUY2", 1, [](auto& m, auto& h) { m.subtype = MEDIASUBTYPE_YUY2; }},
      {"RGB4", 1, [](auto& m, auto& h) { m.subtype = MEDIASUBTYPE_RGB4; }},
      {"audio", 1, [](auto& m, auto& h) { m.majortype = MEDIATYPE_Audio; }},
      {"variable size", 1, [](auto& m, auto& h) { m.bFixedSizeSamples = 0; }},
      {"no format block", 1,
       [](auto& m, auto& h) {
         m.pbFormat = nullptr;
         m.cbFormat = 0;
       }},
      // A block too short for a header is not read.
      {"a short block", 1, [](auto& m, auto& h) { m.cbFormat = 40; }},
      // Which header suits which subtype is camera_format_test's table; here, that the pin asks.
      {"RGB24 announcing 32 bits", 1, [](auto& m, auto& h) { h.biBitCount = 32; }},
      // The one variant taken, last: RGB555 comes either way.
      {"RGB555 without bit fields", 3, [](auto& m, auto& h) { h.biCompression = BI_RGB; }},
  };
  std::vector<OwnedType> types = AllTypes();
  for (const auto& c : variants) {
    SCOPED_TRACE(c.what);
    const OwnedType& base = types[c.base];
    AM_MEDIA_TYPE mt = *base.mt;
    std::vector<BYTE> format(base.mt->pbFormat, base.mt->pbFormat + base.mt->cbFormat);
    mt.pbFormat = format.data();
    c.change(mt, reinterpret_cast<VIDEOINFOHEADER*>(format.data())->bmiHeader);
    const bool accepted = &c == std::end(variants) - 1;
    EXPECT_EQ(pin_->QueryAccept(&mt), accepted ? S_OK : S_FALSE);
    if (!accepted) {
      EXPECT_EQ(config_->SetFormat(&mt), E_INVALIDARG);
    }
  }
  EXPECT_EQ(config_->SetFormat(nullptr), E_POINTER);
  EXPECT_EQ(config_->GetFormat(nullptr), E_POINTER);
  // Nothing refused replaced the current type, the 24-bit one it starts with.
  ExpectCurrentType(config_.get(), *types[1].mt);
  // Positive heights of the offered size are accepted in every offered subtype, and the current
  // type follows each whole.
  for (const OwnedType& t : types) {
    ASSERT_EQ(config_->SetFormat(t.mt), S_OK);
    ExpectCurrentType(config_.get(), *t.mt);
  }
  int count = 0, size = 0;
  ASSERT_EQ(config_->GetNumberOfCapabilities(&count, &size), S_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(size, 128);
  // Whatever the current type (the 8-bit one now), the capabilities describe 24-bit RGB.

  VIDEO_STREAM_CONFIG_CAPS caps0, caps5;
  std::memset(&caps0, 0xCC, sizeof(caps0));
  std::memset(&caps5, 0x33, sizeof(caps5));
  OwnedType t0, t5;
  ASSERT_EQ(config_->GetStreamCaps(0, &t0.mt, reinterpret_cast<BYTE*>(&caps0)), S_OK);
  ASSERT_EQ(config_->GetStreamCaps(5, &t5.mt, reinterpret_cast<BYTE*>(&caps5)), S_OK);
  EXPECT_EQ(std::memcmp(&caps5, &caps0, sizeof(caps0)), 0);
  ASSERT_EQ(t0.mt->cbFormat, t5.mt->cbFormat);
  EXPECT_EQ(std::memcmp(t0.mt->pbFormat, t5.mt->pbFormat, t0.mt->cbFormat), 0);

  // The camera's size everywhere, no cropping alignment or stretching, the pace and bit rates,
  // every other byte zero.
  VIDEO_STREAM_CONFIG_CAPS want;
  std::memset(&want, 0, sizeof(want));
  want.guid = FORMAT_VideoInfo;
  want.InputSize = want.MinCroppingSize = want.MaxCroppingSize = {1280, 720};
  want.MinOutputSize = want.MaxOutputSize = {1280, 720};
  want.CropGranularityX = 1280;
  want.CropGranularityY = 720;
  want.MinFrameInterval = 200000;
  want.MaxFrameInterval = 50000000;
  want.MinBitsPerSecond = 1280 * 720 * 24 / 5;
  want.MaxBitsPerSecond = 1280 * 720 * 1200;
  EXPECT_EQ(std::memcmp(&caps0, &want, sizeof(want)), 0);

  // What the capabilities advertise is accepted back, and it is the offered 24-bit type whole.
  EXPECT_EQ(t0.mt->lSampleSize, 2764800u);
  EXPECT_EQ(config_->SetFormat(t0.mt), S_OK);
  ExpectCurrentType(config_.get(), *types[1].mt);
  EXPECT_EQ(config_->GetStreamCaps(0, nullptr, reinterpret_cast<BYTE*>(&caps0)), E_POINTER);
}

// From zero at every start, whole frames apart, with a graph clock and without: a camera held up
// by a busy machine skips the frames it missed rather than stamping late, and a stalled renderer
// would hold the first sample for ever. While the graph runs nothing reconnects or changes the
// type under the renderer; stopping closes the worker thread (that it ends delivery is
// source_stream_test's StoppingEndsTheWorkerEvenWhenTheDecommitFails).
TEST_F(CameraStreamTest, StreamingStampsFromZeroKeepsItsTypeAndStoppingEndsTheWorker) {
  std::vector<OwnedType> types = AllTypes();
  for (const bool use_clock : {false, true}) {
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(landscape_->CreateFilter(kLandscapeClsid, &filter), S_OK);
    ComPtr<IPin> pin = OutputPin(filter.get());
    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(pin.As(config), S_OK);
    vl::tools::CaptureOptions options;
    options.use_clock = use_clock;
    vl::tools::CaptureGraph graph;
    ASSERT_EQ(graph.Build(filter.get(), options), S_OK);
    ASSERT_EQ(graph.HasClock(), use_clock);
    // With no wish downstream the camera's first offer wins.
    ASSERT_EQ(ConnectedSubtype(pin.get()), MEDIASUBTYPE_RGB32);
    ComPtr<IPin> peer;
    ASSERT_EQ(pin->ConnectedTo(peer.put()), S_OK);
    EXPECT_EQ(pin->Connect(peer.get(), nullptr), VFW_E_ALREADY_CONNECTED);
    int threads = 0;
    for (int run = 0; run < 2; ++run) {
      SCOPED_TRACE(testing::Message()
                   << (use_clock ? "graph clock, run " : "no clock, run ") << run);
      graph.ClearRecords();
      ASSERT_EQ(graph.Run(), S_OK);
      EXPECT_EQ(config->SetFormat(types[1].mt), VFW_E_NOT_STOPPED);
      EXPECT_EQ(pin->Disconnect(), VFW_E_NOT_STOPPED);
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
        EXPECT_EQ(records[i].length, 1280 * 720 * 4);
      }
      // The second time the platform's own threads of a running graph are already up: no
      // thread of ours is left over.
      if (run == 0) threads = ThreadCount();
      if (run == 1) {
        EXPECT_LE(ThreadCount(), threads);
      }
    }
    EXPECT_EQ(ConnectedSubtype(pin.get()), MEDIASUBTYPE_RGB32);
    ExpectCurrentType(config.get(), *types[0].mt);
    FILTER_STATE state;
    EXPECT_EQ(filter->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
  }
}

// On a connected pin SetFormat asks the peer first and reconnects with what it accepts; a type
// stating no image size (as a capture program may leave biSizeImage at 0) still gets a buffer for
// a whole picture; a failed connection leaves the pin's type as it was.
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
  ExpectCurrentType(config_.get(), *types[1].mt);
  AM_MEDIA_TYPE unsized = *types[1].mt;
  std::vector<BYTE> format(unsized.pbFormat, unsized.pbFormat + unsized.cbFormat);
  unsized.pbFormat = format.data();
  reinterpret_cast<VIDEOINFOHEADER*>(format.data())->bmiHeader.biSizeImage = 0;
  EXPECT_EQ(config_->SetFormat(&unsized), S_OK);
  EXPECT_EQ(ConnectedSubtype(pin_.get()), MEDIASUBTYPE_RGB24);
  ComPtr<IPin> peer;
  ASSERT_EQ(pin_->ConnectedTo(peer.put()), S_OK);
  ComPtr<IMemInputPin> input;
  ASSERT_EQ(peer.As(input), S_OK);
  ComPtr<IMemAllocator> allocator;
  ASSERT_EQ(input->GetAllocator(allocator.put()), S_OK);
  ALLOCATOR_PROPERTIES properties{};
  ASSERT_EQ(allocator->GetProperties(&properties), S_OK);
  EXPECT_GE(properties.cbBuffer, 1280 * 720 * 3);
  // Samples keep flowing.
  ASSERT_EQ(graph.Run(), S_OK);
  EXPECT_TRUE(graph.WaitForSamples(3, 10000));
  ASSERT_EQ(graph.Stop(), S_OK);
  for (const auto& record : graph.Records()) EXPECT_EQ(record.length, 1280 * 720 * 3);
  // The camera takes RGB32, the grabber refuses it: the connection fails.
  ASSERT_EQ(pin_->Disconnect(), S_OK);
  ASSERT_EQ(peer->Disconnect(), S_OK);
  EXPECT_TRUE(FAILED(pin_->Connect(peer.get(), types[0].mt)));
  EXPECT_EQ(pin_->ConnectedTo(peer.put()), VFW_E_NOT_CONNECTED);
  ExpectCurrentType(config_.get(), unsized);
}

}  // namespace
}  // namespace vl::test
