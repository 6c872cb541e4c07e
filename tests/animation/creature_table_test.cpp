// What every list of the creatures relies on, held by the one table.
#include "animation/creatures.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace vex {
namespace {

TEST(CreatureTable, EveryKeyedCreatureHasOneDialogPlaceAndOneButton) {
  std::set<std::tuple<int, int, int>> places;
  std::set<std::string_view> checks, buttons;
  int keyed = 0;
  for (const CreatureRow& row : creature_table()) {
    if (!row.key) {
      EXPECT_EQ(row.dialog.tab, -1) << "a row without a key cannot be switched in the dialog";
      continue;
    }
    ++keyed;
    const DialogSpec& d = row.dialog;
    ASSERT_TRUE(d.tab == 0 || d.tab == 1) << row.key;
    EXPECT_TRUE(d.line >= 0 && d.line < 5 && (d.column == 0 || d.column == 1)) << row.key;
    EXPECT_TRUE(places.insert({d.tab, d.line, d.column}).second) << row.key << " shares its place";
    EXPECT_TRUE(checks.insert(d.check).second) << row.key;
    EXPECT_TRUE(buttons.insert(d.button).second) << row.key;
    EXPECT_NE(row.preview.draw, nullptr) << row.key;
    ASSERT_NE(row.record, nullptr) << row.key;
    ASSERT_NE(row.pictures[0].record, nullptr) << row.key;
    // The key switches the record whose picture is drawn first.
    Scene s;
    EXPECT_EQ(&row.record(s), &row.pictures[0].record(s)) << row.key;
  }
  EXPECT_EQ(keyed, 20);
  EXPECT_EQ(places.size(), 20u) << "both tabs full, two columns of five";
}

TEST(CreatureTable, KeysAreInTheSettingsFilesOrderAndFindTheirRows) {
  ASSERT_EQ(kCreatureKeys.size(), 20u);
  for (std::size_t i = 0; i < kCreatureKeys.size(); ++i) {
    if (i > 0) { EXPECT_LT(std::string(kCreatureKeys[i - 1]), std::string(kCreatureKeys[i])); }
    EXPECT_EQ(find_row(kCreatureKeys[i]), &row_for_key(i));
  }
  EXPECT_EQ(find_row("nobody"), nullptr);
}

TEST(CreatureTable, DepthOrderHoldsEveryStepOnceFarthestFirst) {
  std::size_t steps = 0;
  for (const CreatureRow& row : creature_table())
    for (const DepthStep& step : row.steps) steps += step.draw ? 1 : 0;
  ASSERT_EQ(depth_order().size(), steps);
  for (std::size_t i = 1; i < depth_order().size(); ++i) EXPECT_LT(depth_order()[i - 1].depth, depth_order()[i].depth);
}

}  // namespace
}  // namespace vex
