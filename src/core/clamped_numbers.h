// Arithmetic on numbers that come from data files and saves (positions, speeds, sizes, life, level): worked out
// wider than 32 bits and clamped to the 32-bit range where the result is stored, so that no number an author or a
// saved game gives can overflow. Every result that fits the range is exactly what plain 32-bit arithmetic gives.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

// A value clamped to the 32-bit range.
constexpr int32_t clamp32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// a + b, clamped to the 32-bit range.
constexpr int32_t clampedSum(int64_t a, int64_t b) {
    return clamp32(a + b);
}

// A position to draw at: truncated toward zero as a plain conversion does, and clamped to ±2^30, since nothing drawn
// that far off the picture shows.
constexpr int32_t drawnAt(double position) {
    constexpr double far = 1 << 30;
    return static_cast<int32_t>(std::clamp(position, -far, far));
}

// True when the point (dx, dy) lies nearer to the origin than radius, of either sign: dx² + dy² < radius². Exact
// for every value below 2^62 in size (squares are taken in 128 bits), which sums of three 32-bit values are.
constexpr bool nearerThan(int64_t dx, int64_t dy, int64_t radius) {
    __extension__ using Wide = __int128;
    return Wide{dx} * dx + Wide{dy} * dy < Wide{radius} * radius;
}
