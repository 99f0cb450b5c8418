#pragma once

#include <cstdint>

// The frame loop's work on a stretch of one channel, vectorised like the
// segment kernels: storing the frames, finding the crossings, putting out.

/** Whether x crosses zero coming from `previous`: a product of exactly 0,
    a sample of 0 on either side, is no crossing (+a, 0, -b stays one
    half-wave). */
inline bool crossesZero (double x, double previous) noexcept { return x * previous < 0.0; }

/** Stores in[0..n) at ring[0..n) and keeps the samples they replace in
    delayed[0..n); sets bit k % 64 of crossings[k / 64] where in[k] crosses
    zero coming from in[k - 1] (in[-1] being `previous`), and clears the
    rest of each word it writes. */
void storeFrames (const float* in, double* ring, double* delayed, double previous, int n, std::uint64_t* crossings) noexcept;
void storeFrames (const double* in, double* ring, double* delayed, double previous, int n, std::uint64_t* crossings) noexcept;

/** out[k] = delayed[k] for k < n, rounded to the output's type. */
void putOut (const double* delayed, float* out, int n) noexcept;
void putOut (const double* delayed, double* out, int n) noexcept;
