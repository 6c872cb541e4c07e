#pragma once
// Shared test fixtures: temporary directories, environment, a fresh program
// state, fixture pictures, and a recorder for error reports.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "os/raster.h"
#include "platform/error_report.h"
#include "support/temp_dir.h"

namespace vex::test {

struct Report {
  std::string caption;
};
// Error reports as the window would show them.
class RecordingBugReport : public BugReportView {
 public:
  explicit RecordingBugReport(std::vector<std::string>* captions, int* creates)
      : captions_(captions), creates_(creates) {}
  bool exists() const override { return created_; }
  void create() override {
    created_ = true;
    ++*creates_;
  }
  void set_caption(const std::string& c) override { captions_->push_back(c); }
  void show() override {}

 private:
  std::vector<std::string>* captions_;
  int* creates_;
  bool created_ = false;
};

// Every module's state back to how a fresh process starts, error reports
// recorded, the process-ending hook set to throw, the event loop on a
// virtual clock, the settings and data directories inside a temp dir.
class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest();
  ~ProgramTest() override;
  const std::vector<std::string>& reports() const { return captions_; }
  // Every module afresh, as in a new process, with the test's recorders
  // (error reports, the process end) back in place.
  void restart_program();
  int report_windows_created() const { return creates_; }
  std::string settings_file() const;
  void write_settings(const std::string& text) const;
  // Writes the fixture pictures into <data>/Zelvora/Vexmoor/.
  std::string install_fixture_media() const;
  // The media directory the program will find.
  std::string media_dir() const;

  TempDir dir_;
  ScopedEnv config_;
  ScopedEnv data_home_;
  ScopedEnv data_dirs_;
  ScopedEnv runtime_;
  ScopedEnv cache_;
  std::vector<int> ended_;

 private:
  std::vector<std::string> captions_;
  int creates_ = 0;
};

void reset_program_state();

// The colour each fixture picture's sprite is painted in (image row), so a
// test can tell from a pixel which picture covers it.
Pixel fixture_colour(const std::string& file);
// Writes one fixture picture: frames x strips of w x h, with a mask row when
// masked. Each frame's sprite covers the frame but for a one-pixel border.
void write_fixture_picture(const std::string& path, int w, int h, int frames, int strips, bool masked, Pixel colour);
// The whole set the saver loads.
void write_fixture_media(const std::string& media_dir);

}  // namespace vex::test
