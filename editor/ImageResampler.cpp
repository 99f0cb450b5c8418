#include "ImageResampler.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
constexpr int lobes = 3;
constexpr int channels = 4;

double lanczos (double x)
{
    if (x == 0.0)
        return 1.0;

    if (std::abs (x) >= lobes)
        return 0.0;

    const auto px = juce::MathConstants<double>::pi * x;
    return lobes * std::sin (px) * std::sin (px / lobes) / (px * px);
}

// For each output position, the source positions it reads and their weights
// (summing to one).
struct Taps
{
    std::vector<int> first, count;
    std::vector<float> weights;
    int stride = 0;

    float& weight (int i, int k) { return weights[(size_t) i * (size_t) stride + (size_t) k]; }
    float weight (int i, int k) const { return weights[(size_t) i * (size_t) stride + (size_t) k]; }
};

Taps tapsFor (int sourceSize, int size)
{
    const auto ratio = (double) size / sourceSize;
    const auto stretch = std::min (ratio, 1.0);
    const auto support = lobes / stretch;

    Taps t;
    t.stride = (int) std::ceil (2.0 * support) + 1;
    t.first.resize ((size_t) size);
    t.count.resize ((size_t) size);
    t.weights.assign ((size_t) size * (size_t) t.stride, 0.0f);

    for (int i = 0; i < size; ++i)
    {
        const auto centre = (i + 0.5) / ratio - 0.5;
        const auto lo = std::max (0, (int) std::ceil (centre - support));
        const auto hi = std::min (sourceSize - 1, (int) std::floor (centre + support));
        const auto n = std::min (hi - lo + 1, t.stride);
        double sum = 0.0;

        for (int k = 0; k < n; ++k)
            sum += lanczos ((lo + k - centre) * stretch);

        for (int k = 0; k < n && sum != 0.0; ++k)
            t.weight (i, k) = (float) (lanczos ((lo + k - centre) * stretch) / sum);

        t.first[(size_t) i] = lo;
        t.count[(size_t) i] = n;
    }

    return t;
}

juce::uint8 toByte (float v) { return (juce::uint8) juce::jlimit (0, 255, (int) std::lround (v)); }
} // namespace

juce::Image ImageResampler::resampled (const juce::Image& source, int width, int height)
{
    if (! source.isValid() || width <= 0 || height <= 0)
        return {};

    const auto in = source.convertedToFormat (juce::Image::ARGB);
    const auto sw = in.getWidth();
    const auto sh = in.getHeight();
    juce::Image out (juce::Image::ARGB, width, height, false);

    const auto across = tapsFor (sw, width);
    const auto down = tapsFor (sh, height);

    // Across each source row first, then down each column.
    std::vector<float> rows ((size_t) (width * sh * channels));
    {
        const juce::Image::BitmapData src (in, juce::Image::BitmapData::readOnly);

        for (int y = 0; y < sh; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                float acc[channels] = {};
                const auto first = across.first[(size_t) x];

                for (int k = 0; k < across.count[(size_t) x]; ++k)
                {
                    const auto w = across.weight (x, k);
                    const auto* p = reinterpret_cast<const juce::PixelARGB*> (src.getPixelPointer (first + k, y));
                    acc[0] += w * p->getAlpha();
                    acc[1] += w * p->getRed();
                    acc[2] += w * p->getGreen();
                    acc[3] += w * p->getBlue();
                }

                std::copy (acc, acc + channels, rows.begin() + (y * width + x) * channels);
            }
        }
    }

    const juce::Image::BitmapData dst (out, juce::Image::BitmapData::writeOnly);

    for (int y = 0; y < height; ++y)
    {
        const auto first = down.first[(size_t) y];

        for (int x = 0; x < width; ++x)
        {
            float acc[channels] = {};

            for (int k = 0; k < down.count[(size_t) y]; ++k)
            {
                const auto w = down.weight (y, k);
                const auto* r = rows.data() + ((first + k) * width + x) * channels;

                for (int c = 0; c < channels; ++c)
                    acc[c] += w * r[c];
            }

            // The filter's ripples must not leave a colour brighter than its
            // own coverage.
            const auto alpha = toByte (acc[0]);
            auto* p = reinterpret_cast<juce::PixelARGB*> (dst.getPixelPointer (x, y));
            p->setARGB (alpha, std::min (alpha, toByte (acc[1])), std::min (alpha, toByte (acc[2])), std::min (alpha, toByte (acc[3])));
        }
    }

    return out;
}
