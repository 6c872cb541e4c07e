#pragma once
// Command strings that records every command and answers from a script, for
// tests that assert exactly which commands the program sends.
#include <functional>
#include <string>
#include <vector>

#include "os/mci.h"

namespace vex::test {

class RecordingCommandStrings : public CommandStrings {
 public:
  struct Answer {
    uint32_t code = 0;
    std::string reply;
  };
  // answer decides each command's reply; by default every command fails as
  // one naming nothing open.
  RecordingCommandStrings(std::vector<std::string>* sent, std::function<Answer(const std::string&)> answer = {})
      : sent_(sent), answer_(std::move(answer)) {}
  uint32_t send(const std::string& command, std::string& reply) override {
    sent_->push_back(command);
    Answer a = answer_ ? answer_(command) : Answer{kMciErrInvalidDeviceName, ""};
    if (a.code == 0 || !a.reply.empty()) reply = a.reply;
    return a.code;
  }
  uint32_t execute(const std::string& command) override {
    std::string reply;
    return send("execute: " + command, reply);
  }

 private:
  std::vector<std::string>* sent_;
  std::function<Answer(const std::string&)> answer_;
};

}  // namespace vex::test
