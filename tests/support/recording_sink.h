#pragma once
// A BatchSink that keeps every line the batch reports, for tests to read.

#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"

class RecordingSink : public BatchSink {
 public:
  void Error(std::string_view line) override { errors.emplace_back(line); }
  void Info(std::string_view line) override { infos.emplace_back(line); }
  void Progress(std::string_view text) override { progress.emplace_back(text); }

  std::vector<std::string> errors;
  std::vector<std::string> infos;
  std::vector<std::string> progress;
};
