// The program's life on a desktop: which instances may run together, what
// ends it from outside, and files that are not what they seem.
#include <sys/stat.h>

#include <csignal>
#include <functional>
#include <random>
#include <thread>

#include "end_to_end.h"  // Xlib

namespace vex::test {
namespace {

bool scene_shows(const XServer& x) { return x.grab().at(400, 100) == fixture_colour("v_background_top.bmp"); }

TEST_F(EndToEnd, ASaverStartsWhileTheDialogOrAPreviewRuns) {
  XServer x(800, 600);
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\n");
  auto dialog = start(&x, {"/c"});
  ASSERT_TRUE(eventually([&] {
    return !xdotool(x, {"search", "--name", "^Vexmoor ScreenSaver$"}).empty();
  })) << dialog->stderr_text();
  Display* d = x.display();
  Window host = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 152, 112, 0, 0, 0);
  XMapWindow(d, host);
  XSync(d, False);
  auto preview = start(&x, {"/p", std::to_string(host)});
  ASSERT_TRUE(eventually([&] { return x.grab(host).at(12 + 63, 6 + 50) == fixture_colour("v_preview.bmp"); }))
      << "the preview plays in its host\n"
      << preview->stderr_text();
  auto saver = start(&x, {"/s"});
  ASSERT_TRUE(eventually([&] { return scene_shows(x); })) << saver->stderr_text();
  EXPECT_TRUE(saver->running());
  EXPECT_TRUE(dialog->running());
  EXPECT_TRUE(preview->running());
}

TEST_F(EndToEnd, ASecondSaverStartedWithoutASwitchEndsAtOnceToo) {
  XServer x(800, 600);
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\n");
  auto first = start(&x, {});
  ASSERT_TRUE(eventually([&] { return scene_shows(x); })) << first->stderr_text();
  auto second = start(&x, {});
  auto status = second->wait_for_exit(20s);
  ASSERT_TRUE(status) << "two savers must not run at once";
  EXPECT_EQ(*status, 0);
  EXPECT_TRUE(first->running());
}

TEST_F(EndToEnd, ALockThatCannotBeTakenIsSaidAndTheSaverStillRuns) {
  XServer x(800, 600);
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\n");
  std::filesystem::create_directories(dir.path() / ("run/vexmoor-" + std::to_string(getuid()) + ".lock"));
  auto saver = start(&x, {"/s"}, {{"XDG_RUNTIME_DIR", dir / "run"}});
  ASSERT_TRUE(eventually([&] { return scene_shows(x); })) << saver->stderr_text();
  EXPECT_NE(saver->stderr_text().find("cannot take the one-instance lock"), std::string::npos) << saver->stderr_text();
}

TEST_F(EndToEnd, FifosWhereSettingsOrPicturesShouldBeAreTreatedAsMissing) {
  XServer x(800, 600);
  std::filesystem::create_directories(dir.path() / "config");
  // Opening either for reading would wait for a writer that never comes.
  ASSERT_EQ(mkfifo((dir / "config/zelvora.ini").c_str(), 0600), 0);
  std::filesystem::remove(dir / "data/Zelvora/Vexmoor/v_flower.bmp");
  ASSERT_EQ(mkfifo((dir / "data/Zelvora/Vexmoor/v_flower.bmp").c_str(), 0600), 0);
  auto saver = start(&x, {"/s"});
  ASSERT_TRUE(eventually([&] { return scene_shows(x); })) << saver->stderr_text();
  xdotool(x, {"key", "space"});
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
}

TEST_F(EndToEnd, ATerminationRequestEndsEveryModeThroughTheNormalShutdown) {
  XServer x(800, 600);
  Display* d = x.display();
  Window host = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 152, 112, 0, 0, 0);
  XMapWindow(d, host);
  XSync(d, False);
  // Each mode is signalled once it is up: its window is on the screen.
  auto shown = [&](const std::string& name) {
    return !xdotool(x, {"search", "--onlyvisible", "--name", name}).empty();
  };
  struct Mode {
    std::vector<std::string> args;
    std::string ini;
    int sig;
    std::function<bool()> up;
  };
  const Mode modes[] = {
      {{"/s"}, "[Vexmoor]\nfirstrun=1\nspeed=40\n", SIGTERM, [&] { return scene_shows(x); }},
      {{"/p", std::to_string(host)},
       "",
       SIGTERM,
       [&] { return x.grab(host).at(12 + 63, 6 + 50) == fixture_colour("v_preview.bmp"); }},
      {{"/c"}, "", SIGINT, [&] { return shown("^Vexmoor ScreenSaver$"); }},
      {{"/s"},
       "[Vexmoor]\nfirstrun=1\nspeed=99999\n",
       SIGTERM,  // the error window
       [&] { return shown("^Error Code: VXMR- 6 Starter/X_GetData$"); }},
  };
  for (const Mode& m : modes) {
    settings(m.ini);
    auto p = start(&x, m.args);
    ASSERT_TRUE(eventually(m.up)) << m.args[0] << " " << m.ini << p->stderr_text();
    ASSERT_TRUE(p->running()) << m.args[0] << p->stderr_text();
    p->send_signal(m.sig);
    auto status = p->wait_for_exit(20s);
    ASSERT_TRUE(status) << m.args[0] << " " << m.ini << " must end";
    EXPECT_EQ(*status, 0) << m.args[0];
  }
}

TEST_F(EndToEnd, WithSpeedZeroTheMessageStandsOnTheBlackScreenAndStderrSaysWhy) {
  XServer x(800, 600);
  settings("[Vexmoor]\nfirstrun=1\nspeed=0\nclock=1\nmessagetext=Nothing moves here\n");
  auto saver = start(&x, {"/s"});
  ASSERT_TRUE(eventually([&] {
    Bitmap shot = x.grab();
    return count(shot, rgb(64, 64, 64), 0, 5, 500, 24) > 20 && count(shot, rgb(64, 64, 64), 700, 5, 789, 24) > 20;
  })) << saver->stderr_text();
  EXPECT_EQ(x.grab().at(400, 300), 0u);
  EXPECT_NE(saver->stderr_text().find("frame period"), std::string::npos) << saver->stderr_text();
}

// The outer rectangle of a top-level window: its window manager's frame.
XWindowAttributes frame_of(Display* d, Window w) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  while (XQueryTree(d, w, &root, &parent, &children, &n)) {
    if (children) XFree(children);
    if (parent == root) break;
    w = parent;
  }
  XWindowAttributes a{};
  XGetWindowAttributes(d, w, &a);
  return a;
}

TEST_F(EndToEnd, TheErrorWindowIsCentredByItsFrameUnderAWindowManager) {
  XServer x(1024, 768);
  auto wm = start_window_manager(x);
  ASSERT_TRUE(wm->running()) << "openbox: " << wm->stderr_text();
  settings("[Vexmoor]\nfirstrun=1\nspeed=99999\n");
  auto saver = start(&x, {"/s"});
  std::string id;
  ASSERT_TRUE(eventually([&] {
    id = xdotool(x, {"search", "--name", "^Error Code: VXMR- 6 Starter/X_GetData$"});
    return !id.empty();
  })) << saver->stderr_text();
  Window w = std::stoul(id);
  XWindowAttributes f{};
  ASSERT_TRUE(eventually([&] {
    f = frame_of(x.display(), w);
    return f.width > 267 && f.height > 95;  // framed
  }));
  // Settled where the program put it: in the middle by its outer size.
  ASSERT_TRUE(eventually([&] {
    f = frame_of(x.display(), w);
    return std::abs(f.x + f.width / 2 - 512) <= 1 && std::abs(f.y + f.height / 2 - 384) <= 1;
  })) << f.x
      << "," << f.y << " " << f.width << "x" << f.height;
}

}  // namespace
}  // namespace vex::test

namespace vex::test {
namespace {

// A tiny run-length picture whose header claims w x h pixels: a few hundred
// bytes that decode into a whole picture of black.
std::vector<uint8_t> claiming_rle8(int w, int h) {
  std::vector<uint8_t> b(54 + 1024 + 2, 0);
  auto put32 = [&](std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, static_cast<uint32_t>(b.size()));
  put32(10, 54 + 1024);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(w));
  put32(22, static_cast<uint32_t>(h));
  b[26] = 1;
  b[28] = 8;
  put32(30, 1);  // RLE8
  b[54 + 1024] = 0;
  b[54 + 1024 + 1] = 1;  // end of picture at once
  return b;
}

long peak_resident_kb(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

TEST_F(EndToEnd, MediaMadeToCostTheMostStillKeepsTheSaverSmall) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's own memory would be counted";
#endif
  XServer x(800, 600);
  settings(
      "[Vexmoor]\nfirstrun=1\nbat=1\ndove=1\nskeleton1=1\nskeleton2=1\nzombie=1\nwatchman=1\nrat=1\n"
      "owl=1\nhand=1\nspider=1\nflower=1\nspeed=40\n");
  // Every picture claims just under the largest size a picture may have.
  for (const auto& e : std::filesystem::directory_iterator(dir / "data/Zelvora/Vexmoor")) {
    auto bytes = claiming_rle8(2047, 2047);
    std::ofstream(e.path(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  auto saver = start(&x, {"/s"});
  // Measured once every picture has been read and the saver shows.
  ASSERT_TRUE(eventually([&] {
    return saver->stderr_text().find("far larger than expected") != std::string::npos &&
           !xdotool(x, {"search", "--onlyvisible", "--name", "^Vexmoor$"}).empty();
  })) << saver->stderr_text();
  ASSERT_TRUE(saver->running()) << saver->stderr_text();
  long kb = peak_resident_kb(saver->pid());
  EXPECT_GT(kb, 0);
  EXPECT_LT(kb, 200 * 1024) << "peak resident " << kb << " kB";
  RecordProperty("peak_resident_kb", static_cast<int>(kb));
  EXPECT_NE(saver->stderr_text().find("far larger than expected"), std::string::npos) << saver->stderr_text();
  xdotool(x, {"key", "space"});
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
}

TEST_F(EndToEnd, AHundredKilobyteMessageCostsWhatTheScreenShowsAndTheFramesGoOn) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's own memory would be counted";
#endif
  XServer x(1024, 768);
  settings("[Vexmoor]\nfirstrun=1\nbat=1\nflower=1\nspeed=40\n");
  std::string message;
  while (message.size() < 100 * 1024) message += "Happy Halloween from the graveyard! ";
  auto saver = start(&x, {"/s", "--clock", "--message", message});
  Bitmap shot;
  ASSERT_TRUE(eventually([&] {
    shot = x.grab();
    return shot.at(512, 100) == fixture_colour("v_background_top.bmp") &&
           count(shot, rgb(64, 64, 64), 0, 5, 900, 24) > 20 && count(shot, rgb(64, 64, 64), 924, 5, 1013, 24) > 20;
  })) << saver->stderr_text();
  // The message stops at the clock: nothing of it right of the clock's label.
  EXPECT_EQ(count(shot, 0u, 1013, 5, 1024, 24), 11 * 19);
  // The frames go on: the bat flies.
  ASSERT_TRUE(eventually([&] {
    Bitmap later = x.grab();
    for (int y = 30; y < 768; y += 2)
      for (int xx = 0; xx < 1024; xx += 2)
        if (later.at(xx, y) != shot.at(xx, y)) return true;
    return false;
  })) << saver->stderr_text();
  ASSERT_TRUE(saver->running()) << saver->stderr_text();
  // Drawn whole, the 100 KB line took this saver past 100 MB; laid out as far
  // as the screen shows, it adds next to nothing to the saver's own 30 MB.
  long kb = peak_resident_kb(saver->pid());
  EXPECT_GT(kb, 0);
  EXPECT_LT(kb, 96 * 1024) << "peak resident " << kb << " kB";
  RecordProperty("peak_resident_kb", static_cast<int>(kb));
  xdotool(x, {"key", "space"});
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
}

}  // namespace
}  // namespace vex::test

namespace vex::test {
namespace {

enum class Damage { kTruncated, kRandom, kEmpty, kDirectory };

// Every picture, song and sound of the media directory damaged one way.
void damage_media(const std::filesystem::path& media, Damage how, std::mt19937& gen) {
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(media)) files.push_back(e.path());
  for (int i = 0; i < 12; ++i) {
    files.push_back(media / ("v_sound" + std::to_string(i) + ".wav"));
    files.push_back(media / ("v_song" + std::to_string(i) + ".Mid"));
  }
  for (const auto& f : files) {
    std::string bytes;
    if (std::filesystem::is_regular_file(f)) {
      std::ifstream in(f, std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
      // Songs and sounds as they begin, so that a truncation keeps a header.
      bytes = f.extension() == ".wav" ? std::string("RIFF\x24\x08\x00\x00WAVEfmt \x10\x00\x00\x00", 20)
                                      : std::string("MThd\x00\x00\x00\x06\x00\x01\x00\x02\x01\xe0MTrk", 18);
      bytes += std::string(2000, '\x7f');
    }
    std::filesystem::remove_all(f);
    switch (how) {
      case Damage::kTruncated: bytes.resize(bytes.size() / 3 + 7); break;
      case Damage::kRandom:
        for (char& c : bytes) c = static_cast<char>(gen());
        break;
      case Damage::kEmpty: bytes.clear(); break;
      case Damage::kDirectory: std::filesystem::create_directory(f); continue;
    }
    std::ofstream(f, std::ios::binary) << bytes;
  }
}

TEST_F(EndToEnd, DamagedMediaOfEveryKindIsSurvivedByTheSaverAndTheDialog) {
  std::mt19937 gen(13);
  for (Damage how : {Damage::kTruncated, Damage::kRandom, Damage::kEmpty, Damage::kDirectory}) {
    std::filesystem::remove_all(dir / "data");
    write_fixture_media(dir / "data/Zelvora/Vexmoor/");
    damage_media(dir.path() / "data/Zelvora/Vexmoor", how, gen);
    settings(
        "[Vexmoor]\nfirstrun=1\nbat=1\ndove=1\nskeleton1=1\nrat=1\nowl=1\nhand=1\nlightning=1\nflower=1\n"
        "crow1=1\nspeed=20\nsong0=1\nsong3=1\nsound0=1\nsound2=1\nsound6=1\nclock=1\n");
    XServer x(800, 600);
    auto saver = start(&x, {"/s"});
    ASSERT_TRUE(eventually([&] {
      return !xdotool(x, {"search", "--onlyvisible", "--name", "^Vexmoor$"}).empty();
    })) << static_cast<int>(how)
        << " " << saver->stderr_text();
    ASSERT_TRUE(saver->running()) << static_cast<int>(how) << " " << saver->stderr_text();
    xdotool(x, {"key", "space"});
    auto status = saver->wait_for_exit(20s);
    ASSERT_TRUE(status) << static_cast<int>(how);
    EXPECT_EQ(*status, 0) << static_cast<int>(how);
    EXPECT_EQ(saver->stderr_text().find("Error Code"), std::string::npos) << saver->stderr_text();
    // Each sound selected says once why it was left out.
    for (int n : {0, 2, 6}) {
      const std::string told = saver->stderr_text(), line = "vexmoor: skipping " +
                                                            (dir / "data/Zelvora/Vexmoor/v_sound") + std::to_string(n) +
                                                            ".wav: ";
      std::size_t lines = 0;
      for (std::size_t at = told.find(line); at != std::string::npos; at = told.find(line, at + 1)) ++lines;
      EXPECT_EQ(lines, 1u) << static_cast<int>(how) << " sound " << n << "\n" << told;
    }

    auto dialog = start(&x, {"/c"});
    ASSERT_TRUE(eventually([&] {
      return !xdotool(x, {"search", "--name", "^Vexmoor ScreenSaver$"}).empty();
    })) << static_cast<int>(how)
        << dialog->stderr_text();
    dialog->send_signal(SIGTERM);
    ASSERT_TRUE(dialog->wait_for_exit(20s));
  }
}

}  // namespace
}  // namespace vex::test
