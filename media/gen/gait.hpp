// Feet that do not slide. A walker moves v pixels per tick and shows frame
// f + 1 one tick after frame f, so a planted foot must move exactly v pixels
// backwards per frame inside the sprite; between plants it swings forward to
// where it lands next. Everything here is in sprite pixels, x forwards.
#pragma once

#include "core.hpp"

namespace mediagen {

struct Foot {
    double x;       // sole position relative to the hip, forwards positive
    double lift;    // height of the sole above the ground
    double toe;     // 0 flat, 1 rolled up onto the toes (just before lift-off)
    bool planted;
};

// One foot of a cycle of n frames: it lands at frame `land` at `reach` pixels
// ahead of the hip and stays down for `stance` frames.
inline Foot foot_at(double f, int n, double land, int stance, double reach, double v, double clearance) {
    double since = std::fmod(f - land + 4.0 * n, double(n));
    if (since <= stance + 1e-9) {
        double toe = smoothstep(stance - 1.5, double(stance), since);
        return {reach - v * since, 0.0, toe, true};
    }
    // Swing: from lift-off back to the next landing, eased, in an arc.
    double t = (since - stance) / double(n - stance);
    double e = t * t * (3 - 2 * t);
    double from = reach - v * stance;
    return {from + (reach - from) * e, clearance * std::sin(kPi * t) * (1.0 - 0.25 * t), (1 - t) * 0.6, false};
}

// The knee of a two-bone leg from hip to ankle, bent forwards (+x); a leg that
// cannot reach is straightened towards the ankle.
inline Pt knee_of(Pt hip, Pt ankle, double thigh, double shin, double forward = 1.0) {
    double dx = ankle.x - hip.x, dy = ankle.y - hip.y;
    double d = std::hypot(dx, dy);
    d = std::min(d, thigh + shin - 1e-3);
    double a = std::acos(std::clamp((thigh * thigh + d * d - shin * shin) / (2 * thigh * d), -1.0, 1.0));
    double base = std::atan2(dy, dx);
    // Of the two solutions take the one whose knee lies ahead.
    double k1 = base - a * forward, k2 = base + a * forward;
    Pt p1{hip.x + std::cos(k1) * thigh, hip.y + std::sin(k1) * thigh};
    Pt p2{hip.x + std::cos(k2) * thigh, hip.y + std::sin(k2) * thigh};
    return (p1.x - p2.x) * forward > 0 ? p1 : p2;
}

// Hip height that lets both planted feet reach the ground.
inline double hip_height(double standing, double leg, const Foot& a, const Foot& b) {
    double h = standing;
    for (const Foot* ft : {&a, &b})
        if (ft->planted) h = std::min(h, std::sqrt(std::max(0.0, leg * leg - ft->x * ft->x)));
    return h;
}

}  // namespace mediagen
