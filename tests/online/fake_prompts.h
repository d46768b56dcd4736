// Test doubles of the online services' seams: prompts answered from a script and recorded,
// settings kept in memory.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "online/i_settings_store.h"
#include "online/update_check.h"
#include "online/user_prompts.h"

namespace vl::test {

struct PromptRecord {
  std::string kind;     // "ask", "inform", "balloon", "open", "start"
  std::string text;     // box text, balloon text, address or program path
  std::string caption;  // box caption, balloon title or program parameters
};

class FakePrompts : public IUserPrompts, public IUpdateDownloadStarter {
 public:
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void Inform(const std::string& text, const std::string& caption) override {
    Add("inform", text, caption);
  }
  void ShowBalloon(const std::string& text, const std::string& title) override {
    Add("balloon", text, title);
  }
  bool OpenWebPage(const std::string& url) override {
    Add("open", url, "");
    return true;
  }
  bool StartProgram(const std::string& path, const std::string& parameters) override;
  void StartUpdateDownload(const std::string& url) override { Add("download", url, ""); }

  // Answers of the next Yes/No boxes, in order; No once they run out.
  void AnswerYes(int times = 1) { Answer(true, times); }
  void AnswerNo(int times = 1) { Answer(false, times); }
  bool start_succeeds = true;
  // Runs when a program is started, with its path (before it is recorded).
  std::function<void(const std::string& path)> on_start;

  // Every record, or those of `kind`; as "kind:text|caption", blank-separated, in UTF-8
  // ("|caption" when there is one).
  std::vector<PromptRecord> Records(const std::string& kind = "") const;
  std::string Summary(const std::string& kind = "") const;
  void Clear();

 private:
  void Answer(bool yes, int times);
  void Add(const std::string& kind, const std::string& text, const std::string& caption);
  mutable std::mutex lock_;
  std::vector<bool> answers_;
  std::vector<PromptRecord> records_;
};

class MemorySettings : public ISettingsStore {
 public:
  std::string Read(const std::string& key) override;
  void Write(const std::string& key, const std::string& value) override;
  std::map<std::string, std::string> values;

 private:
  std::mutex lock_;
};

}  // namespace vl::test
