// The phone simulator itself: its options and help, its packet checks, picture detection on a
// real clip, and the phonesim program serving a real reader.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "device/process_runner.h"
#include "device/socket_layer.h"
#include "media/bmt_reader.h"
#include "media/stream_wire.h"
#include "tests/device/fake_adb_workdir.h"
#include "tests/media/stream_test_support.h"
#include "tools/phonesim/annexb_frames.h"
#include "tools/phonesim/packet_checker.h"
#include "tools/phonesim/phonesim_options.h"

namespace vl {
namespace {

using namespace phonesim;

TEST(PhonesimOptions, EveryOptionTheHelpDocumentsParsesAndBadValuesAreRefused) {
  const std::string help = HelpText();
  std::set<std::string> documented;
  const std::regex option("--([a-z][a-z0-9-]*)");
  for (auto it = std::sregex_iterator(help.begin(), help.end(), option);
       it != std::sregex_iterator(); ++it)
    documented.insert((*it)[1]);
  ASSERT_GT(documented.size(), 30u);
  const std::string header_file =
      (std::filesystem::temp_directory_path() / "vl_phonesim_h.xml").string();
  std::ofstream(header_file) << "<h/>";
  std::map<std::string, std::string> values = {{"header-file", header_file}};
  for (const std::string pair :
       {"chunk=1:10", "resource=a=b", "resource-bytes=a=1", "packet=2:00", "packet-text=2:x",
        "end=close", "raw=00", "close-mid-packet=10", "fps=25", "on=click:1=<x/>",
        "churn=100:commands.txt", "resource-churn=3:pic=100"})
    values[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
  for (const std::string& name : documented) {
    if (name == "script") continue;  // needs a file; covered below
    Options o;
    std::string error;
    std::vector<std::string> args{"--" + name};
    const bool flag = name == "help" || name == "no-greeting" || name == "close" ||
                      name == "silence" || name == "verbose" || name == "oversized-length";
    if (!flag) args.push_back(values.count(name) ? values.at(name) : "5");
    EXPECT_TRUE(ParseArguments(args, o, error)) << "--" << name << ": " << error;
  }
  // Bad values are refused, with a reason.
  for (const char* line :
       {"--port 70000", "--chunk 5:2", "--chunk 0:3", "--packet x:00", "--raw 0g",
        "--resource nofile", "--end maybe", "--bogus", "stray", "--sleep",
        "--script /nonexistent/script", "--on click=<x/>", "--on click:1", "--on :1=<x/>",
        "--on click:5-2=<x/>", "--on click:a=<x/>"}) {
    std::istringstream words(line);
    const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    Options o;
    std::string error;
    EXPECT_FALSE(ParseArguments(args, o, error)) << line;
    EXPECT_FALSE(error.empty());
  }
}

// Steps keep their order and a script's add to them (comments, blank lines and CR LF ends
// skipped); file names in a script are taken from its directory. Reactions parse into a list.
TEST(PhonesimOptions, StepsKeepTheirOrderScriptsAddToThemAndReactionsAnswerTheirEvent) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vl_phonesim_dir";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "s.txt") << "# demo\r\npanel-text <config name=\"a b\"/>\r\n\r\nsleep 250\n"
                                  "resource-bytes x=3\npanel p.xml\nresource face=pics/f.png\n"
                                  "resource-dir pics\npanel /abs/q.xml\npanel-text p.xml\n";
  Options o;
  std::string error;
  ASSERT_TRUE(ParseArguments(
      {"--fps", "60", "--panel", "here.xml", "--script", (dir / "s.txt").string(), "--close"}, o,
      error))
      << error;
  ASSERT_EQ(o.steps.size(), 10u);
  EXPECT_EQ(o.fps, 60.0);
  EXPECT_EQ(o.steps[0].kind, StepKind::kPanelFile);
  EXPECT_EQ(o.steps[0].text, "here.xml");
  EXPECT_EQ(o.steps[1].kind, StepKind::kPanelText);
  EXPECT_EQ(o.steps[1].text, "<config name=\"a b\"/>");
  EXPECT_EQ(o.steps[2].number, 250);
  EXPECT_EQ(o.steps[3].name, "x");
  EXPECT_EQ(std::filesystem::path(o.steps[4].text), dir / "p.xml");
  EXPECT_EQ(o.steps[5].name, "face");
  EXPECT_EQ(std::filesystem::path(o.steps[5].text), dir / "pics/f.png");
  EXPECT_EQ(std::filesystem::path(o.steps[6].text), dir / "pics");
  EXPECT_EQ(o.steps[7].text, "/abs/q.xml");
  EXPECT_EQ(o.steps[8].text, "p.xml");  // a command text, not a file
  EXPECT_EQ(o.steps[9].kind, StepKind::kClose);

  // Reactions answer the matching event.
  Options r;
  ASSERT_TRUE(ParseArguments({"--on", "click:100-102=<a id=\"{id}\" again=\"{id}\"/>", "--on",
                              "custom:40:reset=<reset/>", "--on", "custom:40=<other/>"},
                             r, error))
      << error;
  ASSERT_EQ(r.reactions.size(), 3u);
  auto event = [](const std::string& name, int id, const std::string& extra = "") {
    return "<command name=\"notify\"><event name=\"" + name + "\" id=\"" + std::to_string(id) +
           "\" parent_id=\"3\"" + extra + "></event></command>";
  };
  std::string reply;
  ASSERT_TRUE(ReactionReply(r.reactions, event("click", 101), reply));
  EXPECT_EQ(reply, "<a id=\"101\" again=\"101\"/>");
  EXPECT_FALSE(ReactionReply(r.reactions, event("click", 103), reply));
  EXPECT_FALSE(ReactionReply(r.reactions, event("doubleclick", 101), reply));
  ASSERT_TRUE(ReactionReply(r.reactions, event("custom", 40, " event=\"reset\""), reply));
  EXPECT_EQ(reply, "<reset/>");
  ASSERT_TRUE(ReactionReply(r.reactions, event("custom", 40, " event=\"back\""), reply));
  EXPECT_EQ(reply, "<other/>");
  EXPECT_FALSE(ReactionReply(r.reactions, "<not an event", reply));
}

std::vector<uint8_t> Packet(uint32_t type, const std::string& payload) {
  std::vector<uint8_t> b(8 + payload.size());
  PutLe32(b.data(), type);
  PutLe32(b.data() + 4, static_cast<uint32_t>(payload.size()));
  std::copy(payload.begin(), payload.end(), b.begin() + 8);
  return b;
}

TEST(PhonesimChecker, ParsesPacketsSplitAnywhereAndFlagsInterleavedOrForeignBytes) {
  std::vector<uint8_t> stream;
  for (const auto& packet : {Packet(5, ""), Packet(4, "<notify id=\"1\"/>"), Packet(5, "")})
    stream.insert(stream.end(), packet.begin(), packet.end());
  PacketChecker checker;
  std::vector<CheckedPacket> out;
  for (uint8_t b : stream) checker.Feed(&b, 1, out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_TRUE(out[0].valid && out[1].valid && out[2].valid);
  EXPECT_EQ(out[1].payload, "<notify id=\"1\"/>");
  EXPECT_EQ(checker.pending_bytes(), 0u);
  // Flagged: a heartbeat's header inside an event's payload (the event is no longer XML), a video
  // packet from the PC, a heartbeat with a payload.
  std::vector<uint8_t> interleaved = Packet(4, "<notify id=\"1\"/>");
  const auto beat = Packet(5, "");
  interleaved.insert(interleaved.begin() + 12, beat.begin(), beat.end());
  interleaved.resize(interleaved.size() - 8);
  for (const auto& bytes : {interleaved, Packet(1, "xx"), Packet(5, "z")}) {
    PacketChecker checker;
    out.clear();
    checker.Feed(bytes.data(), bytes.size(), out);
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(bytes[0] == 4 || out.size() == 1u) << out.size();
    EXPECT_FALSE(out[0].valid);
    EXPECT_TRUE(bytes[0] != 1 || checker.out_of_step());
  }
}

// Each session serves a reader over a real socket; the fake adb lists the phone.
class PhonesimSession : public testing::Test {
 protected:
  // Reads for `ms` milliseconds what a phone started with `args` sends.
  void ReadFor(std::vector<std::string> args, int ms, IResourceStore* store = nullptr) {
    auto phone = test::StartPhone(std::move(args));
    auto reader = BMTReader::Create(PacketSinks{&listener, store});
    ASSERT_EQ(reader->Connect(2, "PHONE1", phone->port()), 1);
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(ms))
      if (!reader->ReadPacket()) break;
    reader->Close();
    phone->Shutdown();
  }
  net::SocketLibrary sockets;
  test::FakeAdbWorkdir adb{"device PHONE1 device\n"};
  test::RecordingListener listener;
};

TEST_F(PhonesimSession, LogsEachPictureSentWholeAndChurnsPanelCommandsAlongTheVideo) {
  const std::string commands = (adb.dir() / "commands.txt").string();
  const std::string send_log = (adb.dir() / "sent.txt").string();
  std::ofstream(commands) << "# two commands\n<a/>\n\n<b/>\n";
  ASSERT_NO_FATAL_FAILURE(ReadFor({"--churn", "50:" + commands, "--video", test::ClipPath(),
                                   "--fps", "30", "--send-log", send_log},
                                  1500));
  // The commands alternate, about every 50 ms, while the video plays and after it.
  const std::vector<std::string> events = listener.Events();
  ASSERT_GE(events.size(), 15u);
  for (size_t i = 0; i < events.size(); ++i)
    EXPECT_EQ(events[i], i % 2 ? "panel:<b/>" : "panel:<a/>") << i;
  // One line per picture, in order, on the wall clock, paced at 30 pictures a second.
  std::ifstream in(send_log);
  int round = 0;
  size_t picture = 0, expected = 0;
  int64_t us = 0, first = 0, last = 0;
  while (in >> round >> picture >> us) {
    EXPECT_EQ(round, 1);
    EXPECT_EQ(picture, expected++);
    if (picture == 0) first = us;
    EXPECT_GE(us, last);
    last = us;
  }
  EXPECT_EQ(expected, 30u);
  EXPECT_NEAR((last - first) / 1e6, 29 / 30.0, 0.2);
  // The machine's wall clock, not a clock of its own.
  EXPECT_LT(std::chrono::system_clock::now().time_since_epoch() - std::chrono::microseconds(last),
            std::chrono::seconds(5));
}

// A resource sent again and again alongside the video, as a busy phone refreshes a picture.
TEST_F(PhonesimSession, ChurnsAResourceAlongTheVideo) {
  test::RecordingResourceStore store;
  ASSERT_NO_FATAL_FAILURE(
      ReadFor({"--resource-churn", "10:pic.png=300", "--video", test::ClipPath(), "--fps", "30"},
              600, &store));
  const auto resources = store.Entries();
  ASSERT_GE(resources.size(), 20u);  // about 60 in 600 ms
  for (const auto& r : resources) {
    EXPECT_EQ(r.name, "pic.png");
    ASSERT_EQ(r.data.size(), 300u);
    EXPECT_EQ(r.data[1], 10);  // generated bytes: i * 7 + 3
  }
}

// Picture chunks send each picture of a real clip as one packet. (That the starts are the pictures
// FFmpeg finds, the parameter sets with the first, is h264_decoder_test's.)
TEST_F(PhonesimSession, PictureChunksSendEachPictureOfARealClipAsOnePacket) {
  const std::vector<uint8_t> clip = test::ReadBytes(test::ClipPath());
  const std::vector<size_t> starts = FindFrameStarts(clip);
  ASSERT_EQ(starts.size(), 30u);  // 1 s at 30 fps
  EXPECT_TRUE(FindFrameStarts({0, 0, 1, 0x67, 0x42}).empty());
  auto phone = test::StartPhone(
      {"--video", test::ClipPath(), "--fps", "0", "--chunk", "picture", "--end", "close"});
  auto reader = BMTReader::Create();
  ASSERT_EQ(reader->Connect(2, "PHONE1", phone->port()), 1);
  size_t pictures = 0;
  while (auto p = reader->ReadPacket()) {
    if (p->type != kPacketVideo) continue;
    ASSERT_LT(pictures, starts.size());
    const size_t end = pictures + 1 < starts.size() ? starts[pictures + 1] : clip.size();
    EXPECT_EQ(static_cast<size_t>(p->length), end - starts[pictures]) << "picture " << pictures;
    ++pictures;
  }
  EXPECT_EQ(pictures, starts.size());
  phone->Shutdown();
}

TEST_F(PhonesimSession, TheProgramHelpsServesAReaderAndLogsWhatItReceived) {
  const std::string port_file = (adb.dir() / "port.txt").string();
  const std::string log_file = (adb.dir() / "phonesim.log").string();
  ProcessRunner help;
  ASSERT_TRUE(help.Launch(test::BuiltProgram("phonesim", "phonesim") + " --help"));
  const std::string usage = help.ReadAll();
  EXPECT_EQ(usage.rfind("phonesim - ", 0), 0u) << usage;
  EXPECT_NE(usage.find("--video FILE"), std::string::npos);
  ProcessRunner runner;
  ASSERT_TRUE(runner.Launch(test::BuiltProgram("phonesim", "phonesim") + " --port 0 --port-file " +
                            port_file + " --log " + log_file +
                            " --reverse-v 3 --panel-text <hello/> --hold-ms 3000"));
  int port = 0;
  for (int i = 0; i < 500 && !(std::ifstream(port_file) >> port); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_GT(port, 0);
  auto reader = BMTReader::Create(PacketSinks{&listener, nullptr});
  ASSERT_EQ(reader->Connect(2, "PHONE1", port), 1);
  EXPECT_EQ(reader->ReverseFlags().reverse_v, 3);
  ASSERT_TRUE(reader->ReadPacket());
  EXPECT_EQ(listener.Events(), std::vector<std::string>{"panel:<hello/>"});
  // The program holds the connection 3 s: one heartbeat arrives, then it closes.
  EXPECT_EQ(reader->ReadPacket(), nullptr);
  reader.reset();
  runner.ReadAll();
  std::ifstream in(log_file);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(log.find("greeting from the PC: \"BMP10\""), std::string::npos) << log;
  EXPECT_NE(log.find("recv heartbeat (type 5, 0 bytes)"), std::string::npos) << log;
  EXPECT_NE(log.find("0 protocol errors"), std::string::npos) << log;
}

}  // namespace
}  // namespace vl
