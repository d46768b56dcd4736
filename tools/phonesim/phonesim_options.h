// What one phonesim run does: how it answers the handshake, which packets it sends in which
// order, and how it ends each connection. Built from the command line and script files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vl::phonesim {

enum class StepKind {
  kVideo,           // text: file; H.264 Annex B cut into type-1 packets at random sizes
  kPanelFile,       // text: file; its bytes as one type-4 packet
  kPanelText,       // text: the command itself
  kResourceFile,    // name, text: file
  kResourceDir,     // text: directory; every regular file, named by its file name
  kResourceBytes,   // name, number: size of generated data
  kPacket,          // number: type; bytes: payload
  kRaw,             // bytes written as they are
  kSleep,           // number: milliseconds
  kClose,           // end the connection now
  kCloseMidPacket,  // number: announced length; half of it is sent, then the connection closes
  kOversized,       // announces a type-1 payload of `number` bytes and sends only a little
  kGarbageTypes,    // number: count of packets of unused types with random payloads
  kChurn,           // text: file of panel commands; number: period in ms (see --churn)
  kResourceChurn,   // name; bytes: size as text; number: period in ms (see --resource-churn)
};

struct Step {
  StepKind kind = StepKind::kSleep;
  std::string name;
  std::string text;
  int64_t number = 0;
  std::vector<uint8_t> bytes;
};

// An answer to a panel event, as the phone application answers a tap: when an event named
// `event` arrives from a control whose id lies in [first_id, last_id] (and, when `detail` is
// set, whose "event" attribute equals it), `reply` is sent as a panel command with every
// "{id}" in it replaced by the control's id.
struct Reaction {
  std::string event;
  int64_t first_id = 0;
  int64_t last_id = 0;
  std::string detail;
  std::string reply;
};

enum class EndMode { kHold, kClose };

struct Options {
  std::string host = "127.0.0.1";
  int port = 8984;
  std::string port_file;
  int connections = 1;        // 0: serve forever
  int accept_timeout_ms = 0;  // 0: wait forever

  // Handshake.
  std::string greeting = "BMP10";
  bool answer_greeting = true;
  bool custom_header = false;
  std::string header_text;
  int64_t reverse_v = 0;
  int64_t reverse_h = 0;
  bool override_header_length = false;
  int64_t header_length = 0;

  // Video pacing.
  double fps = 30.0;
  int chunk_min = 1;
  int chunk_max = 8192;
  bool chunk_pictures = false;  // one packet per picture (--chunk picture)
  int loop = 1;                 // 0: until the PC goes away
  uint32_t seed = 1;

  std::vector<Step> steps;
  std::vector<Reaction> reactions;
  EndMode end = EndMode::kHold;
  int hold_ms = 0;  // 0: hold until the PC closes

  std::string log_path;  // empty: standard output
  // Where each picture's send time goes (--send-log); empty: nowhere.
  std::string send_log_path;
  bool verbose = false;
  bool show_help = false;
};

// Parses argv (without the program name). On error returns false with a message.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& error);
// A script file: one option per line without its leading "--" ("panel cmd.xml",
// "panel-text <config/>", "sleep 500"); blank lines and lines starting with '#' are skipped.
// Relative file names in it are taken from the script's own directory.
bool LoadScript(const std::string& path, Options& options, std::string& error);

std::string HelpText();

// The header document the simulator sends.
std::string HeaderDocument(const Options& options);

// The reply of the first reaction matching the event text (a "notify" command), with "{id}"
// filled in; false when none matches or the text is not an event.
bool ReactionReply(const std::vector<Reaction>& reactions, const std::string& event_text,
                   std::string& reply);

}  // namespace vl::phonesim
