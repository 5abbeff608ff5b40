#pragma once
// A DecodeHost that records what DecodeFile does, in order, and answers questions as told.

#include <functional>
#include <string>
#include <vector>

#include "dialog/policy/decode_file.h"

class RecordingHost : public DecodeHost {
 public:
  std::string password;
  std::string outputFolder;
  MessageAnswer answer = MessageAnswer::Cancel;
  std::vector<std::string> events;
  // Each progress report as "done/total", apart from events.
  std::vector<std::string> progress;
  // Called as each message box appears, before it is recorded.
  std::function<void()> onMessage;

  std::string PasswordText() const override { return password; }
  std::string OutputFolderText() const override { return outputFolder; }
  void SetStopFlag() override { events.push_back("stop"); }
  void SetDoneFlag() override { events.push_back("done"); }
  MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                            MessageButtons buttons) override {
    if (onMessage) onMessage();
    events.push_back(std::string(buttons == MessageButtons::OkCancel ? "ask:" : "say:") +
                     std::string(text) + "|" + std::string(title));
    return buttons == MessageButtons::OkCancel ? answer : MessageAnswer::Ok;
  }
  void Pause(unsigned milliseconds) override {
    events.push_back("pause:" + std::to_string(milliseconds));
  }
  void CloseDialog() override { events.push_back("close"); }
  void ReportProgress(uint64_t done, uint64_t total) override {
    progress.push_back(std::to_string(done) + "/" + std::to_string(total));
  }
};
