#pragma once

// The work on a closed segment, vectorised for the best instruction set the
// processor offers (chosen on the first call): the two passes over its
// samples and the sinc estimates of its peak.

// Peak, its place, the sum of squares and the zeros of x[0..n).
struct RunMeasure
{
    double peak = 0.0; // largest |x|, NaN left out; 0 for none
    int peakAt = 0; // where it first occurs; 0 when the peak is 0
    double sumSq = 0.0;
    bool hasZero = false; // some x is exactly 0
};

// Measures x[0..n) into m. Written in place: a returned copy would be read
// back wider than it was stored, which stalls.
void measureRun (const double* x, int n, RunMeasure& m) noexcept;

// Applies a segment's gain to x[0..n) of one channel. The gain reduction
// falls from `held` toward `target` dB by `r` per sample, in closed form,
// y_k = target + r^(k+1) (held - target), and stays at `target` when `held`
// does not exceed it; each sample is multiplied by 10^(-y_k / 20). Returns
// the reduction after the last sample, flushed to 0 unless normal. Reads and
// rewrites, unchanged, up to releasePadding samples past x[n).
double applyReleaseGain (double* x, int n, double held, double target, double r) noexcept;
inline constexpr int releasePadding = 8;

// The larger of two four-tap sinc estimates, of the peak between a2 and a3
// (taps a1..a4, four consecutive samples) and between b2 and b3: the
// largest |sum w_k x_k| over ten points between the middle taps. A NaN tap
// zeroes its estimate.
double sincPeakOfTwo (double a1, double a2, double a3, double a4, double b1, double b2, double b3, double b4) noexcept;
