#pragma once

namespace kv {

// Positions closer than this are the same place: millimetres of a template
// pass through floating-point sums, and a band that fits exactly must fit.
constexpr double kLayoutEpsilon = 0.001; // millimetres

// The end of a band that is drawn to its bottom, whatever its height.
constexpr double kUnbounded = 1e12;

} // namespace kv
