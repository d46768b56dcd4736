#include "tools/phonesim/phonesim_options.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <tinyxml2.h>

namespace vl::phonesim {
namespace {

bool ToInt(const std::string& s, int64_t& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const long long v = std::strtoll(s.c_str(), &end, 0);
  if (*end != '\0') return false;
  out = v;
  return true;
}

bool HexBytes(const std::string& hex, std::vector<uint8_t>& out) {
  std::string digits;
  for (char c : hex) {
    if (c == ' ' || c == ':') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    digits.push_back(c);
  }
  if (digits.size() % 2 != 0) return false;
  for (size_t i = 0; i < digits.size(); i += 2) {
    out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return true;
}

Step MakeStep(StepKind kind, std::string text = {}, int64_t number = 0) {
  Step s;
  s.kind = kind;
  s.text = std::move(text);
  s.number = number;
  return s;
}

// "NAME=VALUE" split at the first '='.
bool SplitPair(const std::string& v, std::string& a, std::string& b) {
  const size_t eq = v.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  a = v.substr(0, eq);
  b = v.substr(eq + 1);
  return true;
}

// "TYPE:REST" split at the first ':'.
bool SplitTyped(const std::string& v, int64_t& type, std::string& rest) {
  const size_t colon = v.find(':');
  if (colon == std::string::npos) return false;
  rest = v.substr(colon + 1);
  return ToInt(v.substr(0, colon), type);
}

// "EVENT:ID[-LAST][:DETAIL]=REPLY".
bool ParseReaction(const std::string& v, Reaction& r) {
  std::string spec;
  if (!SplitPair(v, spec, r.reply) || r.reply.empty()) return false;
  const size_t colon = spec.find(':');
  if (colon == std::string::npos || colon == 0) return false;
  r.event = spec.substr(0, colon);
  std::string ids = spec.substr(colon + 1);
  const size_t detail = ids.find(':');
  if (detail != std::string::npos) {
    r.detail = ids.substr(detail + 1);
    ids.resize(detail);
  }
  const size_t dash = ids.find('-', 1);
  if (dash == std::string::npos) {
    if (!ToInt(ids, r.first_id)) return false;
    r.last_id = r.first_id;
    return true;
  }
  return ToInt(ids.substr(0, dash), r.first_id) && ToInt(ids.substr(dash + 1), r.last_id) &&
         r.first_id <= r.last_id;
}

// A file name given in a script, taken from the script's directory when relative.
std::string FromBase(const std::string& base, const std::string& file) {
  const std::filesystem::path path(file);
  // "/x" counts as given too (on Windows it has a root but no drive).
  if (base.empty() || file.empty() || path.is_absolute() || path.has_root_directory()) return file;
  return (std::filesystem::path(base) / file).string();
}

// One option with its value (empty for flags). Returns false with an error message. `base`:
// the directory relative file names are taken from (empty: the current directory).
bool Apply(const std::string& name, const std::string& raw_value, bool has_value, Options& o,
           std::string& error, const std::string& base = {}) {
  static const char* const kFileOptions[] = {"header-file", "video", "panel", "resource-dir",
                                             "script"};
  std::string value = raw_value;
  for (const char* f : kFileOptions) {
    if (name == f) value = FromBase(base, raw_value);
  }
  if (name == "resource") {
    std::string n, file;
    if (SplitPair(raw_value, n, file)) value = n + "=" + FromBase(base, file);
  }
  auto need = [&]() {
    if (!has_value) error = "option --" + name + " needs a value";
    return has_value;
  };
  auto number = [&](int64_t& out) {
    if (!need()) return false;
    if (!ToInt(value, out)) {
      error = "option --" + name + ": not a number: " + value;
      return false;
    }
    return true;
  };
  int64_t n = 0;
  Step step{};
  if (name == "help" || name == "h") {
    o.show_help = true;
  } else if (name == "host") {
    if (!need()) return false;
    o.host = value;
  } else if (name == "port") {
    if (!number(n)) return false;
    if (n < 0 || n > 65535) return (error = "port out of range"), false;
    o.port = static_cast<int>(n);
  } else if (name == "port-file") {
    if (!need()) return false;
    o.port_file = value;
  } else if (name == "connections") {
    if (!number(n)) return false;
    o.connections = static_cast<int>(n);
  } else if (name == "accept-timeout-ms") {
    if (!number(n)) return false;
    o.accept_timeout_ms = static_cast<int>(n);
  } else if (name == "greeting") {
    if (!need()) return false;
    o.greeting = value;
  } else if (name == "no-greeting") {
    o.answer_greeting = false;
  } else if (name == "header") {
    if (!has_value) return need();
    o.custom_header = true;
    o.header_text = value;
  } else if (name == "header-file") {
    if (!need()) return false;
    std::ifstream in(value, std::ios::binary);
    if (!in) return (error = "cannot read " + value), false;
    std::ostringstream s;
    s << in.rdbuf();
    o.custom_header = true;
    o.header_text = s.str();
  } else if (name == "reverse-v") {
    if (!number(o.reverse_v)) return false;
  } else if (name == "reverse-h") {
    if (!number(o.reverse_h)) return false;
  } else if (name == "header-length") {
    if (!number(o.header_length)) return false;
    o.override_header_length = true;
  } else if (name == "fps") {
    if (!need()) return false;
    o.fps = std::atof(value.c_str());
    if (o.fps < 0) return (error = "fps must not be negative"), false;
  } else if (name == "chunk") {
    if (!need()) return false;
    if (value == "picture") {
      o.chunk_pictures = true;
      return true;
    }
    o.chunk_pictures = false;
    const size_t colon = value.find(':');
    int64_t lo = 0, hi = 0;
    if (colon == std::string::npos || !ToInt(value.substr(0, colon), lo) ||
        !ToInt(value.substr(colon + 1), hi) || lo < 1 || hi < lo || hi > (1 << 24)) {
      return (error = "--chunk wants MIN:MAX with 1 <= MIN <= MAX"), false;
    }
    o.chunk_min = static_cast<int>(lo);
    o.chunk_max = static_cast<int>(hi);
  } else if (name == "loop") {
    if (!number(n)) return false;
    o.loop = static_cast<int>(n);
  } else if (name == "seed") {
    if (!number(n)) return false;
    o.seed = static_cast<uint32_t>(n);
  } else if (name == "video") {
    if (!need()) return false;
    o.steps.push_back(MakeStep(StepKind::kVideo, value));
  } else if (name == "panel") {
    if (!need()) return false;
    o.steps.push_back(MakeStep(StepKind::kPanelFile, value));
  } else if (name == "panel-text") {
    if (!need()) return false;
    o.steps.push_back(MakeStep(StepKind::kPanelText, value));
  } else if (name == "resource") {
    if (!need()) return false;
    step.kind = StepKind::kResourceFile;
    if (!SplitPair(value, step.name, step.text))
      return (error = "--resource wants NAME=FILE"), false;
    o.steps.push_back(step);
  } else if (name == "resource-dir") {
    if (!need()) return false;
    o.steps.push_back(MakeStep(StepKind::kResourceDir, value));
  } else if (name == "resource-bytes") {
    if (!need()) return false;
    step.kind = StepKind::kResourceBytes;
    std::string size;
    if (!SplitPair(value, step.name, size) || !ToInt(size, step.number) || step.number < 0) {
      return (error = "--resource-bytes wants NAME=SIZE"), false;
    }
    o.steps.push_back(step);
  } else if (name == "packet" || name == "packet-text") {
    if (!need()) return false;
    step.kind = StepKind::kPacket;
    std::string rest;
    if (!SplitTyped(value, step.number, rest))
      return (error = "--" + name + " wants TYPE:DATA"), false;
    if (name == "packet") {
      if (!HexBytes(rest, step.bytes)) return (error = "--packet: bad hex data"), false;
    } else {
      step.bytes.assign(rest.begin(), rest.end());
    }
    o.steps.push_back(step);
  } else if (name == "raw") {
    if (!need()) return false;
    step.kind = StepKind::kRaw;
    if (!HexBytes(value, step.bytes)) return (error = "--raw: bad hex data"), false;
    o.steps.push_back(step);
  } else if (name == "on") {
    if (!need()) return false;
    Reaction r;
    if (!ParseReaction(value, r)) {
      return (error = "--on wants EVENT:ID[-LAST][:DETAIL]=REPLY"), false;
    }
    o.reactions.push_back(std::move(r));
  } else if (name == "churn") {
    if (!need()) return false;
    step.kind = StepKind::kChurn;
    const size_t colon = value.find(':');
    if (colon == std::string::npos || !ToInt(value.substr(0, colon), step.number) ||
        step.number < 1 || colon + 1 == value.size())
      return (error = "--churn wants MS:FILE"), false;
    step.text = FromBase(base, value.substr(colon + 1));
    o.steps.push_back(step);
  } else if (name == "resource-churn") {
    if (!need()) return false;
    step.kind = StepKind::kResourceChurn;
    const size_t colon = value.find(':');
    std::string size;
    int64_t bytes = 0;
    if (colon == std::string::npos || !ToInt(value.substr(0, colon), step.number) ||
        step.number < 1 || !SplitPair(value.substr(colon + 1), step.name, size) ||
        !ToInt(size, bytes) || bytes < 0)
      return (error = "--resource-churn wants MS:NAME=SIZE"), false;
    step.text = size;
    o.steps.push_back(step);
  } else if (name == "send-log") {
    if (!need()) return false;
    o.send_log_path = value;
  } else if (name == "sleep") {
    if (!number(n)) return false;
    o.steps.push_back(MakeStep(StepKind::kSleep, {}, n));
  } else if (name == "close") {
    o.steps.push_back(MakeStep(StepKind::kClose));
  } else if (name == "close-mid-packet") {
    if (!number(n)) return false;
    if (n < 2) return (error = "--close-mid-packet wants a length of at least 2"), false;
    o.steps.push_back(MakeStep(StepKind::kCloseMidPacket, {}, n));
  } else if (name == "oversized-length") {
    n = 0x7FFFFFFF;
    if (has_value && !number(n)) return false;
    o.steps.push_back(MakeStep(StepKind::kOversized, {}, n));
  } else if (name == "garbage-types") {
    if (!number(n)) return false;
    o.steps.push_back(MakeStep(StepKind::kGarbageTypes, {}, n));
  } else if (name == "silence") {
    o.end = EndMode::kHold;
  } else if (name == "end") {
    if (!need()) return false;
    if (value == "hold") {
      o.end = EndMode::kHold;
    } else if (value == "close") {
      o.end = EndMode::kClose;
    } else {
      return (error = "--end wants hold or close"), false;
    }
  } else if (name == "hold-ms") {
    if (!number(n)) return false;
    o.hold_ms = static_cast<int>(n);
  } else if (name == "log") {
    if (!need()) return false;
    o.log_path = value;
  } else if (name == "verbose") {
    o.verbose = true;
  } else if (name == "script") {
    if (!need()) return false;
    return LoadScript(value, o, error);
  } else {
    error = "unknown option --" + name + " (see --help)";
    return false;
  }
  return true;
}

bool TakesValue(const std::string& name) {
  static const char* const kFlags[] = {"help",    "h",       "no-greeting",     "close",
                                       "silence", "verbose", "oversized-length"};
  for (const char* f : kFlags) {
    if (name == f) return false;
  }
  return true;
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0 && a != "-h") {
      error = "unexpected argument: " + a;
      return false;
    }
    std::string name = a == "-h" ? "help" : a.substr(2);
    std::string value;
    bool has_value = false;
    const size_t eq = name.find('=');
    if (eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
      has_value = true;
    } else if (TakesValue(name) && i + 1 < args.size()) {
      value = args[++i];
      has_value = true;
    }
    if (!Apply(name, value, has_value, options, error)) return false;
  }
  return true;
}

bool LoadScript(const std::string& path, Options& options, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read script " + path;
    return false;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    const size_t space = line.find_first_of(" \t", start);
    const std::string name = line.substr(start, space == std::string::npos ? space : space - start);
    std::string value;
    if (space != std::string::npos) {
      const size_t v = line.find_first_not_of(" \t", space);
      if (v != std::string::npos) value = line.substr(v);
    }
    const bool has_value = space != std::string::npos && !value.empty();
    const std::string base = std::filesystem::path(path).parent_path().string();
    if (!Apply(name, value, has_value, options, error, base)) {
      error = path + ":" + std::to_string(number) + ": " + error;
      return false;
    }
  }
  return true;
}

std::string HeaderDocument(const Options& options) {
  if (options.custom_header) return options.header_text;
  return "<header reverse_v=\"" + std::to_string(options.reverse_v) + "\" reverse_h=\"" +
         std::to_string(options.reverse_h) + "\"/>";
}

bool ReactionReply(const std::vector<Reaction>& reactions, const std::string& event_text,
                   std::string& reply) {
  tinyxml2::XMLDocument doc;
  if (doc.Parse(event_text.data(), event_text.size()) != tinyxml2::XML_SUCCESS) return false;
  const tinyxml2::XMLElement* command = doc.FirstChildElement();
  const tinyxml2::XMLElement* event = command ? command->FirstChildElement("event") : nullptr;
  if (!event || !event->Attribute("name")) return false;
  const std::string name = event->Attribute("name");
  const int64_t id = event->Int64Attribute("id", INT64_MIN);
  const char* detail = event->Attribute("event");
  for (const Reaction& r : reactions) {
    if (r.event != name || id < r.first_id || id > r.last_id) continue;
    if (!r.detail.empty() && (!detail || r.detail != detail)) continue;
    reply = r.reply;
    const std::string id_text = std::to_string(id);
    for (size_t at = reply.find("{id}"); at != std::string::npos; at = reply.find("{id}", at)) {
      reply.replace(at, 4, id_text);
      at += id_text.size();
    }
    return true;
  }
  return false;
}

std::string HelpText() {
  return R"(phonesim - plays the phone application's side of the Velloria stream protocol.

Usage: phonesim [options]

It listens for the PC program, answers the greeting "BMP10", sends a header document with
the picture's flip flags, waits for the 4-byte acknowledgement, then performs its steps in
the order given (video, panel commands, resources, raw packets, misbehaviour) while it logs
every packet the PC sends (heartbeats, panel events) with time stamps since the handshake.
Every packet received is checked: a type other than 4 or 5, a heartbeat with a payload, or a
panel event that is not well-formed XML counts as a protocol error (exit status 2).

Listening:
  --host ADDR             address to listen on (default 127.0.0.1)
  --port N                TCP port (default 8984; 0 picks a free port)
  --port-file FILE        write the port actually listened on into FILE
  --connections N         connections to serve one after the other (default 1; 0 = forever)
  --accept-timeout-ms N   give up when no connection arrives within N ms (default: wait)

Handshake:
  --greeting TEXT         bytes answered to the PC's greeting (default BMP10; e.g. BMP11 to
                          misbehave)
  --no-greeting           never answer the greeting (silent phone)
  --reverse-v N           reverse_v attribute of the header document (default 0)
  --reverse-h N           reverse_h attribute of the header document (default 0)
  --header TEXT           header document sent as is (overrides --reverse-v/-h; "" sends none)
  --header-file FILE      header document read from FILE
  --header-length N       length field sent before the document, whatever its size

Steps (performed in the order given, for each connection):
  --video FILE            stream an H.264 Annex B file as type-1 packets cut at random sizes
                          (not at NAL borders), paced by --fps
  --panel FILE            send the file's bytes (UTF-8 XML) as one panel command (type 4)
  --panel-text TEXT       send TEXT as one panel command
  --resource NAME=FILE    send a named resource (type 3: 255-byte name field, then the data)
  --resource-dir DIR      send every file in DIR as a resource named by its file name
  --resource-bytes NAME=N send a resource of N generated data bytes (0 gives a packet of
                          exactly 255 bytes)
  --packet TYPE:HEX       send a packet of any type with a payload given in hex ("" = none)
  --packet-text TYPE:TEXT send a packet of any type with TEXT as payload
  --raw HEX               write raw bytes
  --sleep MS              pause
  --close                 close the connection at this point
  --churn MS:FILE         from this step on, alongside the following ones, send the next line
                          of FILE (one panel command per line; blank lines and '#' lines
                          skipped; cycling) as a panel command every MS ms, until the
                          connection ends: a phone whose panel keeps changing
  --resource-churn MS:NAME=SIZE
                          the same with a resource: from this step on, send a resource NAME
                          of SIZE generated bytes every MS ms (replacing itself each time)

Answering the PC (like the phone application answering taps on its panel):
  --on EVENT:ID[-LAST][:DETAIL]=REPLY
                          when a panel event EVENT ("click", "doubleclick", "slider_pos",
                          "slider_end", "custom") arrives from a control with an id in ID..LAST
                          (and, with DETAIL, whose "event" attribute is DETAIL), send REPLY as a
                          panel command; "{id}" in REPLY becomes the control's id. The first
                          matching answer is sent. Example:
                          --on 'click:100-111=<command name="modify" parent_id="3"><ctrl
                          class="page_list" id="20" selected="{id}"/></command>'

Misbehaviour (also steps):
  --close-mid-packet N    announce a type-1 packet of N bytes, send half of it and close
  --oversized-length[=N]  announce a type-1 payload of N bytes (default 2147483647), send a
                          few bytes and go quiet
  --garbage-types N       send N packets of unused types (0, 2, 5, 6 ... 65535 and values
                          above 65535 whose low half is unused) with random payloads
  --silence               after the steps send nothing more and hold the connection
                          (the default ending; the PC should give up after 10 s)

Video pacing:
  --fps F                 frames per second for --video (default 30; 0 = as fast as possible)
  --chunk MIN:MAX         packet payload sizes, chosen at random (default 1:8192)
  --chunk picture         one packet per picture, as a phone that sends each encoded picture
                          whole
  --loop N                play the video N times (default 1; 0 = until the PC goes away)
  --seed N                seed of the random sizes and garbage (default 1)

Ending and logging:
  --end hold|close        after the steps: keep reading until the PC closes (hold, default)
                          or close at once
  --hold-ms N             hold at most N ms, then close (default: until the PC closes)
  --log FILE              write the log to FILE instead of standard output
  --send-log FILE         append one line per picture of --video when its last byte has been
                          sent: "ROUND PICTURE UNIX_MICROSECONDS" (PICTURE counts from 0 in
                          the file, ROUND from 1 per connection), for latency measurements
  --verbose               also log every packet sent
  --script FILE           read more options from FILE, one per line without the leading
                          "--" (e.g. "panel-text <config/>", "sleep 500"); '#' starts a comment;
                          relative file names in it are taken from FILE's directory
  -h, --help              show this text

Exit status: 0 when every connection went through without protocol errors, 1 on bad
options or a failure to listen, 2 when a protocol error or a handshake mismatch was seen.

Examples:
  phonesim --video clip.h264 --fps 30 --reverse-h 1 --panel config.xml --resource-dir res
  phonesim --port 0 --port-file port.txt --greeting BMP11
  phonesim --script demo.txt --connections 0 --log phonesim.log
  phonesim --resource-dir pictures --script tools/phonesim/panels/beauty_panel.script
)";
}

}  // namespace vl::phonesim
