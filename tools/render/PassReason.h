#pragma once

// Why a sample or a true peak of the output lies over the ceiling.
enum class PassReason
{
    endOfFile, // the last half-wave has no zero crossing before the end of the file
    silence, // the half-wave runs into digital silence, so no crossing closes it in time
    longHalfWave, // the half-wave is longer than the look-ahead (content below about 16.7 Hz)
    interSample, // limited, yet its peak between samples reads higher at 4x oversampling
    limitedOver, // limited, yet a ten-thousandth of the excess remains (the ratio is 10000:1)
    disabled // Enable is off
};

inline constexpr int passReasonCount = 6;

namespace PassReasons
{
// Each reason's name in the JSON report, and the line that tells the user why, in the order of PassReason.
inline constexpr const char* entries[passReasonCount][2] = {
    { "end-of-file", "the last half-wave has no zero crossing before the end of the file, so it passes unprocessed" },
    { "digital-silence", "a half-wave runs into digital silence, so no zero crossing closes it within the 30 ms look-ahead and it passes unprocessed" },
    { "long-half-wave", "a half-wave is longer than the 30 ms look-ahead (content below about 16.7 Hz), so most of it passes unprocessed" },
    { "inter-sample", "limited half-waves peak higher between samples than the limiter's four-point estimate" },
    { "limited-over", "limited half-waves sit a hair over it: the gain law's 10000:1 ratio lets a ten-thousandth of their excess (in dB) through" },
    { "disabled", "Enable is off, so nothing is limited" },
};
} // namespace PassReasons

/** The reason's name in the JSON report. */
inline const char* passReasonKey (PassReason r) { return PassReasons::entries[(int) r][0]; }

/** One line that tells the user why. */
inline const char* passReasonText (PassReason r) { return PassReasons::entries[(int) r][1]; }
