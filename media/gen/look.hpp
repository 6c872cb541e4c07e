// One palette for the whole graveyard: a cool blue night lit by a moon in the
// upper right, with warm light only where something burns.
#pragma once

#include "core.hpp"

namespace mediagen::look {

inline const Col kSkyTop = rgb(4, 6, 20);
inline const Col kSkyMid = rgb(14, 20, 50);
inline const Col kSkyLow = rgb(40, 50, 92);
inline const Col kMoon = rgb(240, 236, 214);
inline const Col kMoonGlow = rgb(120, 140, 190);
inline const Col kRim = rgb(168, 184, 224);    // moonlight on an edge
inline const Col kSilhouette = rgb(9, 10, 18);  // trees, iron, far shapes

inline const Col kHillFar = rgb(30, 38, 70);
inline const Col kHillNear = rgb(19, 24, 46);
inline const Col kMist = rgb(70, 82, 120);

inline const Col kStone = rgb(92, 97, 114);
inline const Col kStoneDark = rgb(40, 43, 58);
inline const Col kStoneLit = rgb(158, 164, 186);
inline const Col kMoss = rgb(44, 66, 50);

inline const Col kGrass = rgb(22, 38, 38);
inline const Col kGrassLit = rgb(52, 78, 78);
inline const Col kSoil = rgb(42, 34, 34);
inline const Col kSoilLit = rgb(84, 70, 66);

inline const Col kBone = rgb(226, 222, 200);
inline const Col kBoneShade = rgb(120, 122, 128);
inline const Col kBoneDark = rgb(52, 54, 64);
inline const Col kBlood = rgb(150, 8, 14);
inline const Col kBloodLit = rgb(226, 60, 60);
inline const Col kWarm = rgb(255, 176, 60);
inline const Col kWarmHot = rgb(255, 236, 150);
inline const Col kGhost = rgb(150, 230, 210);

// What most of the scene behind a sprite looks like, for resolving its edges.
inline const Col kNightGround = rgb(24, 32, 40);
inline const Col kNightSky = rgb(20, 26, 58);

}  // namespace mediagen::look
