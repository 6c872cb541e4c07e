// Where things stand in the 800 x 600 scene. Several pictures have to agree
// with each other (the crow on its stone, the owl in its tree, the blood pool
// at the stone's foot), so the shared places live here and nowhere else.
#pragma once

#include <algorithm>
#include <cmath>

namespace mediagen::geom {

constexpr int kSceneW = 800, kSceneH = 600;
constexpr int kTopH = 315;   // sky band
constexpr int kMidY = 315;   // both middle bands
constexpr int kMidH = 132;
constexpr int kBotY = 447;   // ground band
constexpr int kBotH = 153;

// Close and far tombstones (top-left corners and frame sizes).
constexpr int kTomb1X = 15, kTomb1Y = 400, kTomb1W = 134, kTomb1H = 199;
constexpr int kTomb2X = 250, kTomb3X = 473, kTomb2Y = 450, kTomb2W = 77, kTomb2H = 125;
constexpr int kTomb4X = 688, kTomb4Y = 400, kTomb4W = 102, kTomb4H = 184;

// The owl's opaque frame and the hollow in the tree it sits in.
constexpr int kOwlX = 688, kOwlY = 174, kOwlW = 32, kOwlH = 48;
constexpr double kHollowCX = 704.0, kHollowCY = 200.0, kHollowRX = 11.5, kHollowRY = 17.0;
// The dead tree holding the hollow: trunk centre and half width by height.
inline double trunk_cx(double y) { return 706.0 + 4.0 * std::sin((y - 200.0) / 60.0); }
inline double trunk_half(double y) {
    return 18.5 + (y - 118.0) * 0.02 + std::max(0.0, y - 330.0) * 0.12;
}
constexpr double kTrunkTop = 118.0, kTrunkBase = 442.0;

// The moon sits in the upper right; everything is lit from there.
constexpr double kMoonX = 742.0, kMoonY = 66.0, kMoonR = 34.0;

// Tombstone 1: the top edge of the stone (frame row) at a frame column. The
// first crow stands on it, so both pictures read it from here.
constexpr double kTomb1Left = 6.0, kTomb1Right = 128.0;  // body columns
inline double tomb1_top(double col) {
    const double cx = 67.0, R = 118.0, apex = 19.0;
    double d = col - cx;
    if (std::abs(d) >= R) return apex + R;
    return apex + R - std::sqrt(R * R - d * d);
}
// The cornice whose left corner drips blood (scene coordinates).
constexpr double kDripX = 18.0, kDripY = 491.0;
constexpr double kGroundNearY = 592.0;  // where the close stones and the pool meet the grass

// Tombstone 4 body columns (frame), left of which the grave digger works.
constexpr double kTomb4Left = 14.0, kTomb4Right = 96.0;

// Walkers behind the foreground band.
constexpr int kSkeleton2Y = 386, kZombieY = 387;
// Creatures that step on the ground band: the y of their soles in the scene.
constexpr double kSkeleton1Sole = 583.0;

}  // namespace mediagen::geom
