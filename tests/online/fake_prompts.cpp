#include "tests/online/fake_prompts.h"

#include "common/text_convert.h"

namespace vl::test {

bool FakePrompts::AskYesNo(const std::string& text, const std::string& caption) {
  Add("ask", text, caption);
  std::lock_guard<std::mutex> hold(lock_);
  if (answers_.empty()) return false;
  const bool yes = answers_.front();
  answers_.erase(answers_.begin());
  return yes;
}

bool FakePrompts::StartProgram(const std::string& path, const std::string& parameters) {
  if (on_start) on_start(path);
  Add("start", path, parameters);
  return start_succeeds;
}

void FakePrompts::Answer(bool yes, int times) {
  std::lock_guard<std::mutex> hold(lock_);
  answers_.insert(answers_.end(), times, yes);
}

std::vector<PromptRecord> FakePrompts::Records(const std::string& kind) const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<PromptRecord> out;
  for (const PromptRecord& r : records_)
    if (kind.empty() || r.kind == kind) out.push_back(r);
  return out;
}

std::string FakePrompts::Summary(const std::string& kind) const {
  std::string out;
  for (const PromptRecord& r : Records(kind)) {
    out += (out.empty() ? "" : " ") + r.kind + ":" + AnsiToUtf8(r.text);
    if (!r.caption.empty()) out += "|" + AnsiToUtf8(r.caption);
  }
  return out;
}

void FakePrompts::Clear() {
  std::lock_guard<std::mutex> hold(lock_);
  records_.clear();
  answers_.clear();
}

void FakePrompts::Add(const std::string& kind, const std::string& text,
                      const std::string& caption) {
  std::lock_guard<std::mutex> hold(lock_);
  records_.push_back({kind, text, caption});
}

std::string MemorySettings::Read(const std::string& key) {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = values.find(key);
  return it == values.end() ? std::string() : it->second;
}

void MemorySettings::Write(const std::string& key, const std::string& value) {
  std::lock_guard<std::mutex> hold(lock_);
  values[key] = value;
}

}  // namespace vl::test
