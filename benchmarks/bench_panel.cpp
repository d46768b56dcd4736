// The panel under a chatty phone: applying a 500-control "config" and a burst of 1,000
// "modify" commands (selections, captions, slider values), the work the UI thread does inside
// each synchronous kMsgPanelCommand. Natively the control tree alone; under Windows also with every
// control's real window (the program's own controls, hidden host window).
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/main_dlg_layout.h"
#include "panel/panel_limits.h"
#include "panel/panel_manager.h"

#ifdef _WIN32
#include <windows.h>

#include "panel/panel_platform_win.h"
#include "widgets/image_loader.h"
#endif

namespace {

constexpr int kPages = 5;
constexpr int kItemsPerPage = 96;  // 1 + 1 + 5 tabs + 1 + 5 pages + 5 * 96 items = 493 controls

std::string Config500() {
  std::string x = "<command name=\"config\"><ctrl class=\"op_area\" id=\"1\">";
  x += "<ctrl class=\"tab_holder\" id=\"2\" selected=\"10\">";
  for (int p = 0; p < kPages; ++p) {
    x += "<ctrl class=\"tab\" id=\"" + std::to_string(10 + p) + "\" name=\"tab " +
         std::to_string(p) + "\"/>";
  }
  x += "</ctrl><ctrl class=\"page_switch\" id=\"3\" selected=\"20\">";
  for (int p = 0; p < kPages; ++p) {
    const int page = 20 + p;
    if (p == 1) {
      x += "<ctrl class=\"page_adjust\" id=\"" + std::to_string(page) + "\" name=\"adjust\">";
    } else {
      x += "<ctrl class=\"page_list\" id=\"" + std::to_string(page) +
           "\" name=\"page\" item_width=\"68\" item_height=\"90\" selected=\"" +
           std::to_string(page * 1000) + "\">";
    }
    for (int i = 0; i < kItemsPerPage; ++i) {
      const std::string id = std::to_string(page * 1000 + i);
      if (p == 1) {
        x += "<ctrl class=\"slider\" id=\"" + id + "\" name=\"s\" min=\"0\" max=\"100\" pos=\"" +
             std::to_string(i % 101) + "\"/>";
      } else {
        x += "<ctrl class=\"" + std::string(p % 2 ? "circle_item" : "filter_item") + "\" id=\"" +
             id + "\" name=\"item " + id + "\" image=\"pic" + std::to_string(i % 16) + "\"/>";
      }
    }
    x += "</ctrl>";
  }
  x += "</ctrl></ctrl></command>";
  return x;
}

// 1,000 modifies as a phone sends them while the user works the panel: selections in a grid,
// tab switches, captions and colours of items, values of the slider page's sliders.
// `kind` 0..3 picks one of them for all 1,000; -1 mixes them in turn.
std::vector<std::string> ModifyBurst(int kind = -1) {
  std::vector<std::string> burst;
  for (int n = 0; n < 1000; ++n) {
    const int item = n % kItemsPerPage;
    switch (kind >= 0 ? kind : n % 4) {
      case 0:
        burst.push_back(
            "<command name=\"modify\" parent_id=\"3\"><ctrl class=\"page_list\" id=\"20\""
            " name=\"page\" selected=\"" +
            std::to_string(20000 + item) + "\"/></command>");
        break;
      case 1:
        burst.push_back(
            "<command name=\"modify\" parent_id=\"1\"><ctrl class=\"tab_holder\" id=\"2\""
            " selected=\"" +
            std::to_string(10 + n % kPages) +
            "\"/>"
            "<ctrl class=\"page_switch\" id=\"3\" selected=\"" +
            std::to_string(20 + n % kPages) + "\"/></command>");
        break;
      case 2:
        burst.push_back(
            "<command name=\"modify\" parent_id=\"24\"><ctrl class=\"filter_item\" id=\"" +
            std::to_string(24000 + item) + "\" name=\"item\" mask_color=\"0x" +
            std::to_string(100000 + n) + "\"/></command>");
        break;
      default:
        burst.push_back("<command name=\"modify\" parent_id=\"21\"><ctrl class=\"slider\" id=\"" +
                        std::to_string(21000 + item) + "\" name=\"s\" pos=\"" +
                        std::to_string(n % 101) + "\"/></command>");
        break;
    }
  }
  return burst;
}

#ifdef _WIN32
// The main window's part: a 1080 x 648 window whose panel area gets the root's window; Pump
// handles the messages the commands caused (creation, painting) until none is left.
class Host : public vl::IPanelHost {
 public:
  Host() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "VelloriaPanelBenchHost";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, wc.lpszClassName, "panel bench", WS_POPUP | WS_VISIBLE, 0, 0, 1080,
                              648, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~Host() override { DestroyWindow(window_); }
  void SetPanelWindow(vl::DUICtrl* root) override {
    if (root) root->Create(window_, vl::main_layout::kPanel);
  }
  vl::IPanelHost* host() { return this; }
  vl::IPanelPlatform* platform() { return &platform_; }
  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    UpdateWindow(window_);
  }

 private:
  vl::GdiplusSession gdiplus_;
  vl::PanelPlatformWin platform_;
  HWND window_ = nullptr;
};
#else
// Natively: the control tree without windows.
struct Host {
  vl::IPanelHost* host() { return nullptr; }
  vl::IPanelPlatform* platform() { return nullptr; }
  void Pump() {}
};
#endif

// The demo phone's filter thumbnails (68 x 68 PNG), as the items' pictures.
std::vector<uint8_t> Picture(int i) {
  static const char* const kNames[] = {
      "cinema",  "cool",  "film",     "forest", "fresh", "japanese", "milktea", "mono",
      "natural", "night", "original", "pink",   "retro", "vivid",    "warm",    "fresh"};
  std::ifstream in(std::string(VL_PANEL_PICTURES) + "/filter_" + kNames[i % 16] + ".png",
                   std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void AddPictures(vl::PanelManager& manager) {
  for (int i = 0; i < 16; ++i) {
    const std::vector<uint8_t> png = Picture(i);
    auto data = std::make_unique<uint8_t[]>(png.size());
    std::copy(png.begin(), png.end(), data.get());
    manager.AddResource("pic" + std::to_string(i), std::move(data),
                        static_cast<int32_t>(png.size()));
  }
}

// Argument 1: the items' pictures are in the store (decoded at load); 0: none.
void BM_ApplyConfig500(benchmark::State& state) {
  Host host;
  const std::string config = Config500();
  vl::PanelManager manager(host.host(), host.platform());
  if (state.range(0)) AddPictures(manager);
  for (auto _ : state) {
    manager.ApplyCommand(config.c_str());
    host.Pump();
  }
  state.counters["controls"] = manager.CountControls();
}
BENCHMARK(BM_ApplyConfig500)
    ->ArgName("pictures")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Selections in a grid, tab and page switches, an item's caption and colour, slider values.
void BM_ModifyBurst1000(benchmark::State& state) {
  Host host;
  vl::PanelManager manager(host.host(), host.platform());
  AddPictures(manager);
  const std::string config = Config500();
  manager.ApplyCommand(config.c_str());
  const std::vector<std::string> burst = ModifyBurst(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    for (const std::string& command : burst) manager.ApplyCommand(command.c_str());
    host.Pump();  // the repaints the burst asked for
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(burst.size()));
  // Seconds per command (printed with SI prefixes: "20u" is 20 microseconds).
  state.counters["per_command"] =
      benchmark::Counter(static_cast<double>(state.iterations() * burst.size()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ModifyBurst1000)
    ->ArgName("kind")
    ->Arg(-1)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The worst commands a hostile phone can send, each timed alone (setup outside the clock):
//   0 an insert of 2,000 items before the first of a grid (every window moves once)
//   1 a delete of those 2,000 items
//   2 a modify of 20,000 descriptions of the grid's items
//   3 a config of 2,046 adjustment pages (as many windows as the bound allows)
//   4 an insert of 20,000 descriptions under a parent that does not exist
std::string Grid(int items) {
  std::string x =
      "<command name=\"config\"><ctrl class=\"op_area\" id=\"1\"><ctrl class=\"page_switch\" "
      "id=\"2\" selected=\"3\"><ctrl class=\"page_list\" id=\"3\">";
  for (int i = 0; i < items; ++i)
    x += "<ctrl class=\"filter_item\" id=\"" + std::to_string(100 + i) + "\" image=\"pic" +
         std::to_string(i % 16) + "\"/>";
  return x + "</ctrl></ctrl></ctrl></command>";
}

std::string Descriptions(const char* cls, int first, int count, const char* extra = "") {
  std::string x;
  for (int i = 0; i < count; ++i)
    x += std::string("<ctrl class=\"") + cls + "\" id=\"" + std::to_string(first + i) + "\" " +
         extra + "/>";
  return x;
}

void BM_HostileCommand(benchmark::State& state) {
  Host host;
  vl::PanelManager manager(host.host(), host.platform());
  AddPictures(manager);
  const int kind = static_cast<int>(state.range(0));
  const std::string insert = "<command name=\"insert\" parent_id=\"3\" pos_index=\"0\">" +
                             Descriptions("filter_item", 10000, 2000, "image=\"pic1\"") +
                             "</command>";
  std::string remove = "<command name=\"delete\" parent_id=\"3\">";
  for (int i = 0; i < 2000; ++i) remove += "<ctrl id=\"" + std::to_string(10000 + i) + "\"/>";
  remove += "</command>";
  std::string modify = "<command name=\"modify\" parent_id=\"3\">";
  for (int i = 0; i < 20000; ++i)
    modify += "<ctrl class=\"filter_item\" id=\"" + std::to_string(100 + i % 40) + "\" name=\"n" +
              std::to_string(i) + "\" image=\"pic" + std::to_string(i % 16) + "\"/>";
  modify += "</command>";
  std::string pages =
      "<command name=\"config\"><ctrl class=\"op_area\" id=\"1\"><ctrl class=\"page_switch\" "
      "id=\"2\" selected=\"10\">" +
      Descriptions("page_adjust", 10, vl::kMaxPanelControls - 2) + "</ctrl></ctrl></command>";
  const std::string lost = "<command name=\"insert\" parent_id=\"999999\">" +
                           Descriptions("page_adjust", 5000, 20000) + "</command>";
  const std::string grid = Grid(40);
  for (auto _ : state) {
    state.PauseTiming();
    manager.ApplyCommand(grid.c_str());
    if (kind == 1) manager.ApplyCommand(insert.c_str());
    host.Pump();
    state.ResumeTiming();
    switch (kind) {
      case 0:
        manager.ApplyCommand(insert.c_str());
        break;
      case 1:
        manager.ApplyCommand(remove.c_str());
        break;
      case 2:
        manager.ApplyCommand(modify.c_str());
        break;
      case 3:
        manager.ApplyCommand(pages.c_str());
        break;
      default:
        manager.ApplyCommand(lost.c_str());
        break;
    }
    host.Pump();
  }
  state.counters["controls"] = manager.CountControls();
}
BENCHMARK(BM_HostileCommand)
    ->ArgName("command")
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// 100,000 small resources in a row, as the stream worker's thread adds them (each look-up by
// name is indexed).
void BM_HundredThousandResources(benchmark::State& state) {
  for (auto _ : state) {
    vl::PanelManager manager(nullptr, nullptr);
    for (int i = 0; i < 100000; ++i) {
      auto data = std::make_unique<uint8_t[]>(16);
      manager.AddResource("resource " + std::to_string(i), std::move(data), 16);
    }
    benchmark::DoNotOptimize(manager.resources().count());
  }
}
BENCHMARK(BM_HundredThousandResources)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
