#pragma once
// Every creature of the graveyard in one row: the key that switches it, the
// records it is made of, its pictures and when they load, where it stands in
// the depth order, the routine that draws it, and its place in the settings
// dialog. Everything that lists the creatures loops over this table, so a new
// creature is one row here and its routine.
#include <array>
#include <span>
#include <string_view>

#include "animation/creature.h"

namespace vex {

// The records a row is made of are found in the scene this way.
using RecordOf = Creature& (*)(Scene&);

// When a picture is read before the first frame.
enum class Load {
  kWhenShown,      // its row is switched on (and the file installed)
  kWhenInstalled,  // whenever its file is installed, switched on or not
};

struct PictureSpec {
  RecordOf record = nullptr;  // the record that holds it; null: no picture
  const char* file = nullptr;
  Load load = Load::kWhenShown;
};

// Depth: a step with a larger number is drawn later, over the ones before.
// Steps below kGroundDepth are far off, behind the foreground band.
inline constexpr int kGroundDepth = 100;
struct DepthStep {
  int depth = -1;  // -1: no step
  void (*draw)(Scene&) = nullptr;
};

// Where the screen the scene is laid out for puts a creature's start.
struct LayoutSize {
  int width;
  int height;
};

// A creature's box in the settings dialog: its check box and, to its right,
// the button that shows it in the tab's preview box.
struct DialogSpec {
  int tab = -1;    // 0 "Creatures" or 1 "More Creatures"; -1: not in the dialog
  int line = 0;    // 0 (top) .. 4
  int column = 0;  // 0 left, 1 right
  std::string_view check = {};
  std::string_view caption = {};
  std::string_view button = {};
};

// How the preview box shows a creature once its button is clicked: a copy of
// its record with a picture of its own, drawn by draw; prepare (if any)
// changes what the copy alone does not say, and is handed the way to make a
// picture.
using MakePicture = Surface (*)(const std::string& file);
struct PreviewSpec {
  void (*draw)(Creature& preview) = nullptr;
  // The picture comes from a file of the preview's own (before the copy
  // gets its picture); null: the record's.
  const char* strip = nullptr;
  // False: the copy keeps the record's picture (prepare gives one elsewhere).
  bool own_picture = true;
  void (*prepare)(Creature& preview, MakePicture picture) = nullptr;
};

struct CreatureRow {
  // The settings key (null for the stones, which are always there).
  const char* key = nullptr;
  // The record the key switches: for a family, its first member, which
  // switches them all.
  RecordOf record = nullptr;
  // Switched on when the settings were never saved.
  bool on_at_first_run = false;
  // Sets every record's size, frames, speed and start: the row's records
  // come after the stones' and the scene layers', which they may stand on.
  void (*set_up)(Scene&, LayoutSize) = nullptr;
  // In the order they are read.
  std::array<PictureSpec, 3> pictures{};
  std::array<DepthStep, 2> steps{};
  // The sound its routine plays, and when (-1 and "": none).
  int sound = -1;
  std::string_view sound_moment = {};
  DialogSpec dialog{};
  PreviewSpec preview{};
};

// Every row, in the order their pictures load.
std::span<const CreatureRow> creature_table();
// The settings keys, as the settings file holds them (in the order of the
// keys' names); element i is switched by creature_for_key(i).
extern const std::span<const char* const> kCreatureKeys;
const CreatureRow& row_for_key(std::size_t i);
// The row with this key; null when no creature has it.
const CreatureRow* find_row(std::string_view key);
Creature& creature_for_key(Scene& s, std::size_t i);
Creature& creature_for_key(std::size_t i);
// Every step of the rows, in depth order.
struct DepthEntry {
  int depth;
  const CreatureRow* row;
  void (*draw)(Scene&);
};
std::span<const DepthEntry> depth_order();
// A step is drawn while its row is switched on (the stones always are).
bool switched_on(const CreatureRow& row, Scene& s);

}  // namespace vex
