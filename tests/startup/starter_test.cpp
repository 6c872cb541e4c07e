#include "startup/starter.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "animation/creature.h"
#include "base/convert.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;

TEST(ModeChoice, SwitchesAreFoundAnywhereInAnyCaseInTheirOrder) {
  EXPECT_EQ(choose_mode(""), 1);
  EXPECT_EQ(choose_mode("/s"), 1);
  EXPECT_EQ(choose_mode("/S"), 1);
  EXPECT_EQ(choose_mode("/save"), 1);
  EXPECT_EQ(choose_mode("anything"), 1);
  EXPECT_EQ(choose_mode("/P 123"), 4);
  EXPECT_EQ(choose_mode("/p:123"), 4);
  EXPECT_EQ(choose_mode("/c /p 5"), 4);
  EXPECT_EQ(choose_mode("/c:123"), 2);
  EXPECT_EQ(choose_mode("x/cy"), 2);
  EXPECT_EQ(choose_mode("/C /a"), 2);
  EXPECT_EQ(choose_mode("/a 500"), 3);
  EXPECT_EQ(choose_mode("/A"), 3);
}

TEST(PreviewHandle, LeadingCharactersAreDroppedUntilTheRestIsANumber) {
  EXPECT_EQ(parse_preview_handle("/p 123"), 123);
  EXPECT_EQ(parse_preview_handle("/p:123"), 123);
  EXPECT_EQ(parse_preview_handle("/p"), 0);
  EXPECT_EQ(parse_preview_handle(""), 0);
  EXPECT_EQ(parse_preview_handle("/p 41943047"), 41943047);
  EXPECT_EQ(parse_preview_handle("/p 12.5"), 12);
  EXPECT_EQ(parse_preview_handle("/p 0x2800007"), 0x2800007);
}

// The rule as first written: try every suffix, longest first.
int32_t preview_handle_by_every_suffix(const std::string& lowered) {
  for (std::size_t i = lowered.size(); i >= 1; --i) {
    std::string rest = lowered.substr(lowered.size() - i);
    std::string t = trim_blanks(rest);
    if (t.size() > 2 && t[0] == '0' && t[1] == 'x' && t.find_first_not_of("0123456789abcdef", 2) == std::string::npos &&
        t.size() <= 10) {
      unsigned long v = std::stoul(t.substr(2), nullptr, 16);
      if (v <= 0x7FFFFFFFul) return static_cast<int32_t>(v);
    }
    if (auto v = parse_number(rest)) return round_to_i32(*v);
  }
  return 0;
}

TEST(PreviewHandle, OnePassFindsWhatTryingEverySuffixFinds) {
  const std::string alphabet = " \t+-.0123456789eEdDxabcf/p:";
  std::mt19937 gen(7);
  for (int n = 0; n < 20000; ++n) {
    std::string s;
    std::size_t len = gen() % 14;
    for (std::size_t i = 0; i < len; ++i) s += alphabet[gen() % alphabet.size()];
    int32_t want = 0;
    bool overflow = false;
    try {
      want = preview_handle_by_every_suffix(s);
    } catch (const Failure&) { overflow = true; }
    if (overflow) {
      EXPECT_THROW(parse_preview_handle(s), Failure) << '"' << s << '"';
    } else {
      EXPECT_EQ(parse_preview_handle(s), want) << '"' << s << '"';
    }
  }
}

TEST(PreviewHandle, AHugeCommandLineIsReadInOnePass) {
  // Trying every suffix of this took seconds; one pass takes no time.
  std::string s = "/p " + std::string(480 * 1024, '7') + "x 1234";
  EXPECT_EQ(parse_preview_handle(s), 1234);
  EXPECT_EQ(parse_preview_handle(std::string(480 * 1024, '.') + "5"), 0);  // ".5" rounds to even 0
  EXPECT_EQ(numeric_suffix_start(std::string(480 * 1024, 'e')), std::string::npos);
}

// An in-memory registry holding raw values as the platform stores them.
class MemoryRegistry : public Registry {
 public:
  struct Value {
    uint32_t type;
    std::vector<uint8_t> data;
  };
  std::map<std::string, std::map<std::string, Value>> keys;
  std::vector<std::string> calls;

  bool open(uint32_t root, const std::string& subkey, uint32_t& key) override {
    calls.push_back("open " + subkey);
    if (root != kHkeyCurrentUser || !keys.count(subkey)) return false;
    key = 1 + static_cast<uint32_t>(std::distance(keys.begin(), keys.find(subkey)));
    return true;
  }
  bool query(uint32_t key, const std::string& name, uint32_t& type, std::vector<uint8_t>& data,
             uint32_t& size) override {
    auto it = std::next(keys.begin(), key - 1);
    auto v = it->second.find(name);
    if (v == it->second.end()) return false;
    type = v->second.type;
    std::copy(v->second.data.begin(), v->second.data.end(), data.begin());
    size = static_cast<uint32_t>(v->second.data.size());
    return true;
  }
  void close(uint32_t) override { calls.push_back("close"); }
};

TEST(RegistryNumber, ReadsNumbersAndTextsAndZeroForMissing) {
  MemoryRegistry reg;
  const std::string desk = "Control Panel\\Desktop";
  reg.keys[desk]["dword1"] = {4, {1, 0, 0, 0}};
  reg.keys[desk]["dword0"] = {4, {0, 0, 0, 0}};
  reg.keys[desk]["text1"] = {1, {'1', 0}};
  reg.keys[desk]["text12"] = {1, {'1', '2', 0}};
  reg.keys[desk]["word"] = {1, {'o', 'n', 0}};
  EXPECT_EQ(ReadRegistryNumber(reg, kHkeyCurrentUser, desk, "dword1"), 1);
  EXPECT_EQ(ReadRegistryNumber(reg, kHkeyCurrentUser, desk, "dword0"), 0);
  EXPECT_EQ(ReadRegistryNumber(reg, kHkeyCurrentUser, desk, "text1"), 1);
  EXPECT_EQ(ReadRegistryNumber(reg, kHkeyCurrentUser, desk, "text12"), 12);
  EXPECT_EQ(ReadRegistryNumber(reg, kHkeyCurrentUser, desk, "word"), 0);
  EXPECT_EQ(ReadRegistryNumber(reg, kHkeyCurrentUser, desk, "missing"), 0);
  EXPECT_EQ(ReadRegistryNumber(reg, kHkeyCurrentUser, "No\\Such\\Key", "dword1"), 0);
  // An opened key is closed again; one that failed to open is not.
  EXPECT_EQ(reg.calls.back(), "open No\\Such\\Key");
  EXPECT_EQ(reg.calls[reg.calls.size() - 2], "close");
  auto empty = make_system_registry();
  EXPECT_EQ(ReadRegistryNumber(*empty, kHkeyCurrentUser, desk, "ScreenSaveUsePassword"), 0);
}

class StartUp : public ProgramTest {};

TEST_F(StartUp, PasswordModeParsesTheWindowAndReportsBadCommandLines) {
  starter().RawCommandLine = "/a 500";
  Run_Password();
  EXPECT_EQ(starter().Mode, SaverMode::kPassword);
  EXPECT_EQ(starter().PasswordParentWindow, 500);
  EXPECT_TRUE(reports().empty());

  starter().RawCommandLine = "/a";
  Run_Password();
  starter().RawCommandLine = "/a ";
  Run_Password();
  starter().RawCommandLine = "/a xyz";
  Run_Password();
  ASSERT_EQ(reports().size(), 3u);
  EXPECT_EQ(reports()[0], "Error Code: VXMR- 5 Starter/Run_Password");
  EXPECT_EQ(reports()[1], "Error Code: VXMR- 13 Starter/Run_Password");
  EXPECT_EQ(reports()[2], "Error Code: VXMR- 13 Starter/Run_Password");
}

TEST_F(StartUp, APreviewWithoutAHostWindowEndsAtOnceThroughShutdown) {
  starter().LoweredCommandLine = "/p";
  EXPECT_THROW(Run_Preview(), ProcessEnded);
  ASSERT_EQ(ended_.size(), 1u);
  EXPECT_EQ(ended_[0], 2);
  EXPECT_EQ(starter().PreviewParentWindow, 0);
  EXPECT_EQ(starter().PreviewRect, PixelRect{});
  EXPECT_TRUE(reports().empty());
}

TEST_F(StartUp, MainSetsTheSceneFactsReadsSettingsAndRunsTheSaver) {
  install_fixture_media();
  write_settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=50\n");
  Main("/s");
  const StarterState& st = starter();
  EXPECT_EQ(st.Mode, SaverMode::kScreenSaver);
  EXPECT_EQ(st.LoweredCommandLine, "/s");
  EXPECT_EQ(st.SceneMinX, -400);
  EXPECT_EQ(st.SceneMaxX, 1200);
  EXPECT_EQ(st.SceneMinY, -150);
  EXPECT_EQ(st.SceneHalfDepth, 750);
  EXPECT_GT(st.ScreenWidth, 0);
  EXPECT_EQ(st.Platform, Platform::kUnknown);
  EXPECT_EQ(st.PasswordFlag, 0);
  EXPECT_EQ(settings().Speed, 50);
  EXPECT_EQ(scene().Flower.Enabled, kTrue);
  EXPECT_NE(scene().Flower.Picture, 0);
  EXPECT_NE(surfaces().FrameBuffer, 0);
  EXPECT_EQ(surfaces().PaletteSurface, 0);  // released once everything is loaded
  EXPECT_TRUE(reports().empty()) << reports()[0];
}

}  // namespace
}  // namespace vex
