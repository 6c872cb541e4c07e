// The settings dialog's logic, without a display: what it loads, what Apply
// writes, what the preview buttons and the preview timer do.
#include "config/configuration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "animation/previews.h"
#include "animation/properties.h"
#include "config/controls.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "startup/starter.h"
#include "support/test_support.h"
#include "support/waiting.h"

namespace vex::configuration {
namespace {

using test::fixture_colour;

// Stands in for the window: remembers what it was told and shown.
class HeadlessView : public View {
 public:
  struct Seen {
    int creates = 0, shows = 0;
    std::vector<std::string> told;
    int previews_shown = 0;
  };
  explicit HeadlessView(Seen* seen) : seen_(seen) {}
  void create(const Controls&) override { ++seen_->creates; }
  void centre() override {}
  void show() override { ++seen_->shows; }
  void show_preview(int, const PixelView&) override { ++seen_->previews_shown; }
  void tell(const std::string&, const std::string& text) override { seen_->told.push_back(text); }
  void close() override {}

 private:
  Seen* seen_;
};

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class Dialog : public test::ProgramTest {
 protected:
  // Start-up as in the settings mode, then the dialog loaded.
  Dialog() { install_fixture_media(); }
  void open(const std::string& ini) {
    if (!ini.empty()) write_settings(ini);
    StarterState& st = starter();
    st.ScreenWidth = 1024;
    st.ScreenHeight = 768;
    set_scene_bounds();
    st.Mode = SaverMode::kSettings;
    GetDirectories();
    read_settings();
    Properties_Creatures();
    load(std::make_unique<HeadlessView>(&seen));
  }
  Controls& c() { return state().controls; }
  void tick(int n = 1) {
    for (int i = 0; i < n; ++i) preview_tick();
  }
  Pixel box1(int x, int y) { return state().PreviewPicture.at(x, y); }
  Pixel box2(int x, int y) { return state().PreviewPicture2.at(x, y); }
  HeadlessView::Seen seen;
};

TEST_F(Dialog, LoadsEveryControlFromTheSettingsAndOpensOnOptions) {
  std::filesystem::remove(media_dir() + "v_spider.bmp");  // enabled, but not installed
  open(
      "[Vexmoor]\nfirstrun=1\nbat=1\ndove=1\nspider=1\nzombie=0\nspeed=30\nmessagetext= Boo \n"
      "song3=1\nsong11=1\nsound0=1\nsound7=1\nclock=1\n");
  EXPECT_EQ(seen.creates, 1);
  EXPECT_EQ(seen.shows, 1);
  EXPECT_EQ(c().Tabs, kOptionsTab);
  EXPECT_EQ(c().check["CheckBat"], 1);
  EXPECT_EQ(c().check["CheckDove"], 1);
  EXPECT_EQ(c().check["CheckSpider"], 0) << "a creature whose picture is missing cannot be chosen";
  EXPECT_EQ(c().check["CheckZombie"], 0);
  EXPECT_EQ(c().check["CheckOwl"], 0);
  EXPECT_EQ(c().speedchk, 110);
  EXPECT_EQ(c().songchk, (std::array<int, 12>{0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(c().soundchk, (std::array<int, 12>{1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
  EXPECT_EQ(c().Text1, " Boo ");
  EXPECT_EQ(c().check["clockcheck"], 1);
  EXPECT_EQ(c().VersionLabel, "Version 6.0");
  // The frame buffer is the screen's size; both previews start on the
  // filmstrip.
  EXPECT_EQ(surface_view(surfaces().FrameBuffer).width, 1024);
  EXPECT_EQ(previews().PreviewCreature.FileName, "v_preview.bmp");
  EXPECT_EQ(previews().PreviewCreature2.FrameCount, 21);
  EXPECT_NE(previews().PreviewCreature.Picture, previews().PreviewCreature2.Picture);
  EXPECT_TRUE(reports().empty());
}

TEST_F(Dialog, WithoutSettingsTheDefaultsShow) {
  open("");
  EXPECT_EQ(c().speedchk, 70);
  for (const char* on : {"CheckSkeleton1", "CheckCrow1", "CheckCrow2", "CheckWatchman", "CheckZombie", "CheckBloodDrip",
                         "CheckRat", "CheckGraveDigger", "CheckLightning", "CheckFlower", "CheckOwl", "CheckBat"})
    EXPECT_EQ(c().check[on], 1) << on;
  EXPECT_EQ(c().check["CheckDove"], 0);
  EXPECT_EQ(c().songchk[0], 1);
  EXPECT_EQ(c().soundchk[3], 0);
  EXPECT_EQ(c().soundchk[4], 1);
}

TEST_F(Dialog, ASpeedTheBarCannotShowPutsTheThumbAtTheNearestEnd) {
  for (auto [speed, thumb] : {std::pair{"0", 140}, {"140", 0}, {"500", 0}, {"-5", 140}, {"-32768", 140}}) {
    restart_program();
    seen = {};
    open(std::string("[Vexmoor]\nfirstrun=1\nspeed=") + speed + "\n");
    EXPECT_EQ(c().speedchk, thumb) << speed;
    EXPECT_EQ(seen.shows, 1) << "the dialog must open for speed " << speed;
    EXPECT_TRUE(reports().empty());
  }
}

std::string expected_file(const std::string& speed, const std::string& message, const std::string& volume) {
  std::string t = "[Vexmoor]\nfirstrun=1\n";
  for (const char* key : kCreatureKeys) t += std::string(key) + "=" + (std::string(key) == "owl" ? " 1" : " 0") + "\n";
  t += "speed=" + speed + "\n";
  for (int i = 0; i < 12; ++i) t += "song" + std::to_string(i) + "=" + (i == 2 ? " 1" : " 0") + "\n";
  for (int i = 0; i < 12; ++i) t += "sound" + std::to_string(i) + "=" + (i == 9 ? " 1" : " 0") + "\n";
  t += "messagetext=" + message + "\nclock= 1\n";
  t += "volume=" + volume + "\n";  // after the keys every earlier version wrote
  return t;
}

TEST_F(Dialog, ApplyWritesTheFortyEightKeysInOrderInTheirFormsAndEnds) {
  struct Case {
    int thumb;
    std::string speed, message;
    int volume;
  };
  for (const Case& k : {Case{140, "1", "Happy Halloween", 100}, Case{139, " 1", "", 0},
                        Case{0, " 140", "  two  blanks ", 7}, Case{70, " 70", "=;[x]", 64}}) {
    restart_program();
    seen = {};
    open("");
    std::filesystem::remove(settings_file());
    for (auto& [name, v] : c().check) v = 0;
    c().check["CheckOwl"] = 1;
    c().check["clockcheck"] = 1;
    c().songchk = {};
    c().songchk[2] = 1;
    c().soundchk = {};
    c().soundchk[9] = 1;
    c().speedchk = k.thumb;
    c().Text1 = k.message;
    c().volumechk = k.volume;
    EXPECT_THROW(on_apply(), ProcessEnded);
    EXPECT_EQ(slurp(settings_file()), expected_file(k.speed, k.message, " " + std::to_string(k.volume))) << k.thumb;
  }
  // And the saver started next reads what was applied.
  restart_program();
  GetDirectories();
  read_settings();
  EXPECT_EQ(settings().Speed, 70);
  EXPECT_EQ(settings().MessageText, "=;[x]");
  EXPECT_EQ(settings().Volume, 64);
  EXPECT_EQ(scene().Owl.Enabled, kTrue);
  EXPECT_EQ(scene().Bat[1].Enabled, kFalse);
}

TEST_F(Dialog, CancelAndTheCloseBoxLeaveTheFileByteForByte) {
  const std::string ini = "; mine\r\n[Vexmoor]\r\nfirstrun=1\r\nspeed= 40\r\n";
  open(ini);
  c().speedchk = 3;
  c().Text1 = "changed";
  EXPECT_THROW(on_cancel(), ProcessEnded);
  EXPECT_EQ(slurp(settings_file()), ini);
  EXPECT_THROW(Form_Unload(), ProcessEnded);
  EXPECT_EQ(slurp(settings_file()), ini);
}

TEST_F(Dialog, AnUnwritableSettingsFolderIsSaidAndTheDialogStaysOpen) {
  // Nobody, not even root, may create files there.
  test::ScopedEnv unwritable("XDG_CONFIG_HOME", "/proc/1");
  open("");
  EXPECT_NO_THROW(on_apply());  // the program goes on
  ASSERT_EQ(seen.told.size(), 1u);
  EXPECT_NE(seen.told[0].find("/proc/1/zelvora.ini"), std::string::npos) << seen.told[0];
  EXPECT_NE(seen.told[0].find("none of these settings was saved"), std::string::npos) << seen.told[0];
  EXPECT_TRUE(ended_.empty());
  EXPECT_TRUE(reports().empty());
}

TEST_F(Dialog, PreviewButtonsPrepareTheirRecordsAndCounters) {
  open("");
  Previews& p = previews();
  Scene& s = scene();
  counters().TickTo40 = 17;
  counters().TickTo100 = 55;
  preview_clicked(*find_row("owl"));  // the owl gets a strip of its own
  EXPECT_EQ(p.PreviewCreature.FileName, "v_owl_preview.bmp");
  EXPECT_EQ(p.PreviewCreature.Width, 82);
  EXPECT_EQ(p.PreviewCreature.Height, 81);
  EXPECT_EQ(p.PreviewCreature.FrameCount, 4);
  EXPECT_EQ(counters().TickTo40, 0);
  preview_clicked(*find_row("bat"));  // the bats too
  EXPECT_EQ(p.PreviewCreature.FileName, "v_bat_preview.bmp");
  EXPECT_EQ(p.PreviewCreature.Width, 36);
  EXPECT_EQ(p.PreviewCreature.Height, 32);
  EXPECT_EQ(p.PreviewCreature.FrameCount, 8);
  preview_clicked(*find_row("crow2"));  // any other creature: a copy of its record with a picture of its own
  EXPECT_EQ(p.PreviewCreature.FileName, "v_Crow2.bmp");
  EXPECT_EQ(p.PreviewCreature.Width, s.Crow2.Width);
  EXPECT_NE(p.PreviewCreature.Picture, 0);
  EXPECT_EQ(s.Crow2.Picture, 0);  // the creature's own record is not touched

  preview_clicked(*find_row("spider"));  // the spider is prepared in its own record
  EXPECT_NE(s.Spider.Picture, 0);
  EXPECT_EQ(s.Spider.Y, -93);
  EXPECT_EQ(s.Spider.X, 61);  // nearest(201 / 2 - 79 / 2)
  EXPECT_EQ(counters().TickTo100, 0);
  counters().TickTo40 = 9;
  preview_clicked(*find_row("lightning"));
  EXPECT_EQ(counters().TickTo40, 0);
  counters().TickTo100 = 9;
  preview_clicked(*find_row("hand"));
  EXPECT_EQ(counters().TickTo100, 0);
  EXPECT_EQ(p.PreviewCreature2.FileName, "v_hand.bmp");
}

TEST_F(Dialog, EachFireflyClickScattersThemInsideAndTurnsFiveToEight) {
  open("");
  Scene& s = scene();
  std::array<int, 9> before{};
  for (int i = 1; i <= 8; ++i) before[i] = s.FireFly[i].SpeedX;
  for (int click = 1; click <= 200; ++click) {
    preview_clicked(*find_row("firefly"));
    for (int i = 1; i <= 8; ++i) {
      const Creature& f = s.FireFly[i];
      ASSERT_GE(f.X, 0);
      ASSERT_LE(f.X, 201 - 20 - 5);
      ASSERT_GE(f.Y, 0);
      ASSERT_LE(f.Y, 195 - 19 - 5);
      int expected = (i > 4 && click % 2 == 1) ? -before[i] : before[i];
      ASSERT_EQ(f.SpeedX, expected) << "firefly " << i << " click " << click;
    }
  }
  EXPECT_NE(s.FireFly[1].Picture, 0);
}

TEST_F(Dialog, ClickingThroughThePreviewsForAnHourDoesNotGrow) {
  open("");
  const char* buttons[] = {"gravedigger", "owl",  "bat",       "spider", "firefly",
                           "lightning",   "hand", "blooddrip", "crow1",  "dove"};
  for (const char* b : buttons) preview_clicked(*find_row(b));
  const int settled = live_surface_count();
  for (int i = 0; i < 3600; ++i) {
    preview_clicked(*find_row(buttons[i % 10]));
    if (i % 7 == 0) tick();
  }
  EXPECT_EQ(live_surface_count(), settled);
  EXPECT_TRUE(reports().empty());
}

TEST_F(Dialog, TheTimerWrapsOneValueEarlierThanTheSaver) {
  open("");
  FrameCounters& fc = counters();
  fc.TickTo40 = 38;
  fc.TickTo100 = 98;
  fc.TickTo1000 = 998;
  tick();
  EXPECT_EQ(fc.TickTo40, 39);
  EXPECT_EQ(fc.TickTo100, 99);
  EXPECT_EQ(fc.TickTo1000, 999);
  tick();
  EXPECT_EQ(fc.TickTo40, 0);
  EXPECT_EQ(fc.TickTo100, 0);
  EXPECT_EQ(fc.TickTo1000, 0);
  EXPECT_EQ(seen.previews_shown, 4);
}

TEST_F(Dialog, BothBoxesPlayTheFilmstripCentredUntilAButtonIsClicked) {
  open("");
  tick();
  // 127 x 100 centred in 201 x 195: from (37, 48); the fixture's sprite
  // leaves a one-pixel border.
  const Pixel strip = fixture_colour("v_preview.bmp");
  EXPECT_EQ(box1(38, 49), strip);
  EXPECT_EQ(box1(37, 48), 0u);
  EXPECT_EQ(box1(36, 60), 0u);
  EXPECT_EQ(box2(162, 146), strip);
  EXPECT_EQ(box2(164, 146), 0u);
  EXPECT_EQ(previews().PreviewCreature.X, 37);
  EXPECT_EQ(previews().PreviewCreature.Frame, 1);  // advanced by the still loop
}

TEST_F(Dialog, EachBoxRunsTheRoutineOfTheCreatureLastClicked) {
  open("");
  preview_clicked(*find_row("bat"));     // three bats, the same frame
  preview_clicked(*find_row("spider"));  // the spider on its thread
  counters().TickTo100 = 30;             // between its descent and its climb: it hangs still
  scene().Spider.Y = 20;
  tick();
  const Pixel bat = fixture_colour("v_bat_preview.bmp");
  // Left third at the record's own height (centred: 82), right third at
  // nearest(195 / 3 - 16) = 49 and nearest(2 * 195 / 3 - 16) = 114.
  EXPECT_EQ(box1(49 + 18, 82 + 16), bat);
  EXPECT_EQ(box1(116 + 18, 49 + 16), bat);
  EXPECT_EQ(box1(116 + 18, 114 + 16), bat);
  EXPECT_EQ(box1(116 + 18, 82 + 16), 0u);
  EXPECT_EQ(box2(61 + 39, 5), rgb(0x80, 0x80, 0x80));  // the thread above the spider
  EXPECT_EQ(box2(61 + 40, 30), fixture_colour("v_spider.bmp"));
}

TEST_F(Dialog, TheFirstCrowPreviewRunsTheSaversCrowOnThePreviewRecord) {
  open("");
  preview_clicked(*find_row("crow1"));
  counters().TickTo40 = 0;
  std::vector<int> frames;
  for (int t = 0; t < 20; ++t) {
    tick();
    frames.push_back(previews().PreviewCreature.Frame);
  }
  // Held, then turned by the counter (to 2 at 5, 3 at 6, 4 at 11, 5 at
  // 12, 0 at 18, 1 at 19), not looped every tick.
  EXPECT_EQ(frames[3], 1);
  EXPECT_EQ(frames[4], 2);
  EXPECT_EQ(frames[5], 3);
  EXPECT_EQ(frames[9], 3);
  EXPECT_EQ(frames[11], 5);
  EXPECT_EQ(frames[18], 1);
  EXPECT_EQ(scene().Crow1.Frame, 1) << "the saver's own crow is not moved";
  // The second crow loops its strip.
  preview_clicked(*find_row("crow2"));
  int f = previews().PreviewCreature.Frame;
  tick();
  EXPECT_EQ(previews().PreviewCreature.Frame, (f + 1) % 7);
}

TEST_F(Dialog, TheLogoAndTheAddressOpenOurOwnPageInTheBrowser) {
  open("");
  // xdg-open stands in for the user's browser and notes what it was given.
  std::ofstream(dir_ / "xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << (dir_ / "opened") << "'\n";
  std::filesystem::permissions(dir_ / "xdg-open", std::filesystem::perms::owner_all);
  test::ScopedEnv path("PATH", dir_.str() + ":/usr/bin:/bin");
  open_home_page();
  ASSERT_EQ(seen.told.size(), 1u) << "no page installed: said so";
  std::ofstream(home_page_path()) << "<html></html>";
  open_home_page();
  open_home_page();
  std::string want = "file://" + home_page_path() + "\n";
  test::wait_until([&] { return slurp(dir_ / "opened") == want + want; });  // the browser starts on its own time
  EXPECT_EQ(slurp(dir_ / "opened"), want + want);
  EXPECT_EQ(seen.told.size(), 1u);
}

}  // namespace
}  // namespace vex::configuration
