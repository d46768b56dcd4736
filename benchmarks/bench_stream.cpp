// Throughput of the phone stream over loopback: how fast the reader takes packets from the
// phone simulator, and what writing one panel event costs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "device/socket_layer.h"
#include "media/bmt_reader.h"
#include "media/stream_wire.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/stream_test_support.h"

namespace vl {
namespace {

// A payload file without start codes: the simulator sends it unpaced.
std::string NoiseFile() {
  const std::string path =
      (std::filesystem::temp_directory_path() / "vl_stream_noise.bin").string();
  std::vector<uint8_t> data(8 << 20);
  std::mt19937 rng(7);
  for (auto& b : data) b = static_cast<uint8_t>(rng() | 0x80);  // never 00 00 01
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<char*>(data.data()), data.size());
  return path;
}

void BM_ReadPacketFromPhone(benchmark::State& state) {
  net::SocketLibrary sockets;
  test::FakeAdbWorkdir adb("device PHONE1 device\n");
  const std::string size = std::to_string(state.range(0));
  auto phone = test::StartPhone(
      {"--video", NoiseFile(), "--fps", "0", "--loop", "0", "--chunk", size + ":" + size});
  auto reader = BMTReader::Create();
  if (reader->Connect(2, "PHONE1", phone->port()) != 1) {
    state.SkipWithError("no connection");
    return;
  }
  int64_t bytes = 0;
  for (auto _ : state) {
    auto p = reader->ReadPacket();
    if (!p) {
      state.SkipWithError("stream ended");
      break;
    }
    bytes += p->length + 8;
  }
  state.SetBytesProcessed(bytes);
  reader->Close();
  phone->Shutdown();
}
BENCHMARK(BM_ReadPacketFromPhone)->Arg(1024)->Arg(16 << 10)->Arg(256 << 10)->UseRealTime();

void BM_SendPanelEvent(benchmark::State& state) {
  net::SocketLibrary sockets;
  test::FakeAdbWorkdir adb("device PHONE1 device\n");
  auto phone = test::StartPhone({});
  auto reader = BMTReader::Create();
  if (reader->Connect(2, "PHONE1", phone->port()) != 1) {
    state.SkipWithError("no connection");
    return;
  }
  const std::string event = "<notify id=\"slider_whiten\" value=\"42\" type=\"slider\"/>";
  MediaPacket p;
  p.type = kPacketPanel;
  p.length = static_cast<int32_t>(event.size());
  p.payload.reset(new uint8_t[event.size()]);
  std::copy(event.begin(), event.end(), p.payload.get());
  for (auto _ : state) {
    if (reader->SendPacket(p) != 1) {
      state.SkipWithError("write failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  reader->Close();
  phone->Shutdown();
}
BENCHMARK(BM_SendPanelEvent)->UseRealTime();

}  // namespace
}  // namespace vl

BENCHMARK_MAIN();
