#pragma once

#include <cmath>

// How far the limiter turned the signal down: the largest and the mean
// reduction in dB, over every sample whose input is not silent.
class GainReduction
{
public:
    /** The reduction in dB from input sample `in` to output sample `out` (0 for silence or a gain above 1). */
    static double decibels (float in, float out)
    {
        const double a = std::abs ((double) in), b = std::abs ((double) out);
        if (a < 1.0e-6 || b >= a)
            return 0.0;
        return b > 0.0 ? std::fmin (20.0 * std::log10 (a / b), maximumDb) : maximumDb;
    }

    /** Counts one pair of samples; returns its reduction in dB. */
    double add (float in, float out)
    {
        const double db = decibels (in, out);
        if (std::abs (in) >= 1.0e-6f)
        {
            sum += db;
            ++counted;
        }
        maximum = std::fmax (maximum, db);
        return db;
    }

    /** The largest reduction, dB. */
    double getMaximum() const { return maximum; }
    /** The mean reduction over the samples counted, dB. */
    double getMean() const { return counted > 0 ? sum / (double) counted : 0.0; }

    /** Where a gain of 0 is shown. */
    static constexpr double maximumDb = 144.0;

private:
    double maximum = 0.0, sum = 0.0;
    long long counted = 0;
};
