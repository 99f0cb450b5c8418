#pragma once

#include "limiter/GainLaw.h"

#include <limits>

// The work on closed segments, vectorised for the best instruction set the
// processor offers (chosen on the first call): measuring and judging them,
// several side by side, and gaining their samples.

// The ceiling as the gain law reads it.
struct Ceiling
{
    double gain = 0.0; // 10^(Level / 20)
    double thresholdDb = 0.0; // Level, flushed
    gainLaw::CurvePoint silent; // of a sample of exactly 0
    double quietBelow = 0.0; // a detector level under this is surely below the knee, for every sample
};

// A closed segment of one channel, from the moment it closed until its
// samples are gained: the positions from `first` (inside the ring) forward,
// wrapping from the end of the ring to 0, up to but not including `end`.
struct ClosedSegment
{
    int channel = 0;
    int first = 0;
    int end = 0; // the write position when it closed
    double after = 0.0; // ring[end + 1] when it closed, which later frames overwrite
    Ceiling ceiling; // at the Level of the call that closed it

    // Measured.
    int count = 0; // positions walked; nothing below is set when 0
    int peakAt = 0; // p: the first position of the largest |x| (first where no estimate needs it)
    int beforeAt = 0; // q: where the largest |x| before p first occurs (sought only where an estimate could count), else first
    double peak = 0.0; // NaN left out
    double sumSq = 0.0;
    bool hasZero = false; // some sample is exactly 0

    // Judged.
    double detector = 0.0; // the level every sample is judged by, linear
    double detectorDb = 0.0; // not taken where releasesOnly
    double releaseMs = 0.0; // from the crest: 0.01 for a spike to 100 for a flat segment
    bool late = false; // judged by judgeLate or gainSegments, once the segment before it has its gain
    bool chained = false; // its estimates may count and may read the last sample of the segment before
    bool releasesOnly = false; // below the knee, its estimates out of reach: the reduction only relaxes
};

// Measures and judges segments of one channel's ring, in the order they
// closed: the peak, RMS and sinc estimates of each give its detector level
// (an estimate counts only above the ceiling) and its release time. The
// judgements run side by side, one segment to a vector lane. A segment whose
// estimates may read the last sample of one before it in the list, or one
// of too few to fill the lanes, is only measured and marked `late`.
void judgeSegments (const double* ring, int length, ClosedSegment* const* segments, int count) noexcept;

// Judges a segment marked `late`, once the one before it has its gain.
void judgeLate (const double* ring, int length, ClosedSegment& segment) noexcept;

// The gain of a held reduction, kept while the reduction holds.
struct HeldGain
{
    double reductionDb = std::numeric_limits<double>::quiet_NaN();
    double gain = 1.0;
};

// One channel's release stage where the attack is instant (the smoothed
// reduction equals the held one), with its coefficient cache.
struct ReleaseStage
{
    double heldDb = 0.0;
    double timeMs = 0.0; // of `coefficient`
    double coefficient = 0.0;
    double rate = 0.0; // of `coefficient`
    double curveDb = 0.0; // the static curve at the last sample gained
    double curveOf = 0.0; // where not 0, curveDb is still to be taken: that of this detector level, below the knee
    HeldGain hold; // for this stretch
};

// Gains the measured segments (those of count 0 aside) in place where the
// attack is instant, in the order they closed, judging those marked `late`
// on the way; stages[c] is channel c's release stage. All non-zero samples
// of a segment share one point of the static curve, and the held reduction
// y = max(xL, (1 - r) xL + r h) runs in closed form toward it,
// y_k = xL + r^(k+1) (h - xL). A sample of exactly 0 has a point of its
// own, so where that point differs, each such sample is a run of its own.
// Reads and rewrites, unchanged, up to releasePadding doubles past the ring.
void gainSegments (double* const* rings, int length, ClosedSegment* segments, int count, double rate, ReleaseStage* stages) noexcept;
inline constexpr int releasePadding = 8;

// A detector level in dB, as the judgement converts every one.
double detectorDecibels (double detector) noexcept;

// The larger of two four-tap sinc estimates, of the peak between a2 and a3
// (taps a1..a4, four consecutive samples) and between b2 and b3: the
// largest |sum w_k x_k| over ten points between the middle taps. A NaN tap
// zeroes its estimate.
double sincPeakOfTwo (double a1, double a2, double a3, double a4, double b1, double b2, double b3, double b4) noexcept;
