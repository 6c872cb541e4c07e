#include "config/controls.h"

#include <array>
#include <vector>

#include "animation/creatures.h"

namespace vex::configuration {
namespace {

constexpr std::string_view kSongs[12] = {"Horror Hill", "Death Toll",   "Pipe Organ", "Descent",
                                         "Leviathan",   "Demony",       "Nitemare",   "Lurker",
                                         "Halloween",   "Adams Family", "Thriller",   "GhostBusters"};
constexpr std::string_view kSounds[12] = {"Greetings", "Blood Drip", "Thunder",  "Crow",  "Owl",     "FootSteps",
                                          "WereWolf",  "Laugh II",   "Scream I", "Ghost", "Laugh I", "Scream II"};

// The lines of creatures, top to bottom.
constexpr int kRowY[5] = {24, 56, 88, 120, 152};

// Music and sound rows: which index stands in each of the twelve places.
constexpr int kListRowY[6] = {24, 50, 76, 103, 128, 154};
constexpr int kSongAt[6][2] = {{0, 1}, {2, 3}, {4, 5}, {7, 6}, {8, 9}, {10, 11}};
constexpr int kSoundAt[6][2] = {{0, 2}, {1, 9}, {6, 10}, {3, 7}, {4, 8}, {5, 11}};

std::vector<ControlSpec> build() {
  std::vector<ControlSpec> t;
  auto add = [&](ControlSpec c) { t.push_back(c); };
  add({Kind::kTabs, "Tabs", -1, "", 0, 0, kClientWidth, kClientHeight, "", ""});

  // Tabs 0 and 1: ten creatures each, in two columns, and a preview box.
  const std::string_view frames[2] = {"CreaturesFrame", "MoreCreaturesFrame"};
  const std::string_view pages[2] = {"Tabs:0", "Tabs:1"};
  const std::string_view boxes[2] = {"PreviewPicture", "PreviewPicture2"};
  for (int tab = 0; tab < 2; ++tab) {
    add({Kind::kFrame, frames[tab], -1, pages[tab], 16, 32, 265, 183, "", ""});
    for (int line = 0; line < 5; ++line) {
      for (int column = 0; column < 2; ++column) {
        for (const CreatureRow& row : creature_table()) {
          const DialogSpec& d = row.dialog;
          if (d.tab != tab || d.line != line || d.column != column) continue;
          add({Kind::kCheckBox, d.check, -1, frames[tab], column ? 144 : 16, kRowY[line], column ? 88 : 89, 17,
               d.caption, ""});
          add({Kind::kPreviewButton, d.button, -1, frames[tab], column ? 232 : 105, kRowY[line], 17, 17, "", ""});
        }
      }
    }
    add({Kind::kPreviewBox, boxes[tab], -1, pages[tab], 296, 40, kPreviewBoxWidth, kPreviewBoxHeight, "", ""});
  }

  // Tab 2: the songs and the sounds, each with its listen button.
  add({Kind::kFrame, "MusicFrame", -1, "Tabs:2", 16, 32, 249, 183, "BackGround Music", "Select Background Music"});
  add({Kind::kFrame, "Frame6", -1, "Tabs:2", 280, 32, 216, 183, "Sound Effects", "Select A Sound Type"});
  for (int row = 0; row < 6; ++row) {
    for (int col = 0; col < 2; ++col) {
      int song = kSongAt[row][col], sound = kSoundAt[row][col];
      add({Kind::kCheckBox, "songchk", song, "MusicFrame", col ? 128 : 16, kListRowY[row], col ? 96 : 80, 17,
           kSongs[song], "Select Background Music"});
      add({Kind::kListenButton, "speaker", song, "MusicFrame", col ? 224 : 96, kListRowY[row], 17, 17, "",
           "Listen To Music"});
      add({Kind::kCheckBox, "soundchk", sound, "Frame6", col ? 120 : 16, kListRowY[row], 72, 17, kSounds[sound],
           "Select Sound Effects"});
      add({Kind::kListenButton, "fxspeaker", sound, "Frame6", col ? 192 : 88, kListRowY[row], 17, 17, "",
           "Listen To Sound"});
    }
  }

  // Under the sounds, beside the window's buttons: how loud they all play.
  add({Kind::kLabel, "VolumeLabel", -1, "Tabs:2", 288, 236, 48, 17, "Volume", "How Loud Music And Sounds Play"});
  add({Kind::kScrollBar, "volumechk", -1, "Tabs:2", 336, 236, 160, 17, "", "How Loud Music And Sounds Play"});

  // Tab 3: speed, clock, message.
  add({Kind::kFrame, "Frame2", -1, "Tabs:3", 16, 32, 296, 77, "Speed Option", "Select Animation Speed"});
  add({Kind::kScrollBar, "speedchk", -1, "Frame2", 13, 24, 267, 17, "", ""});
  add({Kind::kLabel, "Label3", -1, "Frame2", 15, 48, 41, 17, "Slow", "Select Animation Speed", Align::kLeft});
  add({Kind::kLabel, "Label1", -1, "Frame2", 120, 48, 49, 17, "Normal", "Select Animation Speed", Align::kCentre});
  add({Kind::kLabel, "Label2", -1, "Frame2", 240, 48, 41, 17, "Fast", "Select Animation Speed", Align::kRight});
  add({Kind::kFrame, "Frame3", -1, "Tabs:3", 328, 32, 168, 77, "Digital Clock", ""});
  add({Kind::kCheckBox, "clockcheck", -1, "Frame3", 16, 32, 144, 17, "Enable Digital Clock",
       "Include A  Digital Clock On-Screen"});
  add({Kind::kFrame, "Frame1", -1, "Tabs:3", 16, 128, 481, 85, "On-Screen Message", "Select Other Options"});
  add({Kind::kLabel, "Label11", -1, "Frame1", 16, 24, 433, 17, "Enter Your On Screen Message Below:", ""});
  add({Kind::kTextBox, "Text1", -1, "Frame1", 16, 48, 433, 19, "", ""});

  // Tab 4: about.
  add({Kind::kFrame, "Frame10", -1, "Tabs:4", 16, 48, 481, 177, "", ""});
  add({Kind::kPicture, "Logo", -1, "Tabs:4", 32, 32, 201, 57, "v_logo.bmp", ""});
  add({Kind::kPicture, "WebAddress", -1, "Frame10", 328, 0, 144, 16, "v_webaddress.bmp", ""});
  add({Kind::kBoldLabel, "Label9", -1, "Frame10", 16, 56, 300, 17, "Vexmoor ScreenSaver", ""});
  add({Kind::kBoldLabel, "VersionLabel", -1, "Frame10", 16, 72, 300, 17, "", ""});
  add({Kind::kBoldLabel, "Label13", -1, "Frame10", 16, 120, 300, 17, "Release Date: 11/22/03", ""});

  // The window's own buttons, over every tab.
  add({Kind::kButton, "Cancel", -1, "", 24, 232, 97, 25, "&Cancel", "Exit Without Saving Changes"});
  add({Kind::kButton, "Apply", -1, "", 160, 232, 105, 25, "&Apply", "Save Changes And Exit"});
  return t;
}

}  // namespace

std::span<const ControlSpec> control_table() {
  static const std::vector<ControlSpec> table = build();
  return table;
}

std::string_view song_name(int n) { return n >= 0 && n < 12 ? kSongs[n] : std::string_view(); }
std::string_view sound_name(int n) { return n >= 0 && n < 12 ? kSounds[n] : std::string_view(); }

}  // namespace vex::configuration
