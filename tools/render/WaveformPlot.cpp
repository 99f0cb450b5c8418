#include "tools/render/WaveformPlot.h"

#include <cmath>

namespace
{
constexpr int marginLeft = 84, marginRight = 24, marginTop = 56, marginBottom = 48;
constexpr int wavePanelHeight = 230, reductionPanelHeight = 150, panelGap = 18;

const juce::Colour background (0xfffbfbfa);
const juce::Colour panelColour (0xffffffff);
const juce::Colour gridColour (0xffe3e3e0);
const juce::Colour textColour (0xff2b2b2b);
const juce::Colour inputColour (0xffb8bec7);
const juce::Colour outputColour (0xff1f5fbf);
const juce::Colour ceilingColour (0xffd62728);
const juce::Colour reductionColour (0xffe07b00);

double niceStep (double span, int wanted)
{
    const double raw = span / wanted;
    const double magnitude = std::pow (10.0, std::floor (std::log10 (raw)));
    for (double m : { 1.0, 2.0, 5.0, 10.0 })
        if (m * magnitude >= raw)
            return m * magnitude;
    return 10.0 * magnitude;
}

juce::String seconds (double t, double step)
{
    const int decimals = step >= 1.0 ? 0 : step >= 0.1 ? 1
                                       : step >= 0.01  ? 2
                                                       : 3;
    return juce::String (t, decimals) + " s";
}
} // namespace

WaveformPlot::WaveformPlot (int numChannels, juce::int64 numFrames, double rate, int pixels) :
    channels (numChannels), width (pixels), frames (juce::jmax<juce::int64> (1, numFrames)), sampleRate (rate),
    columns ((size_t) numChannels, std::vector<Column> ((size_t) (pixels - marginLeft - marginRight))),
    reduction ((size_t) (pixels - marginLeft - marginRight), 0.0f)
{
}

void WaveformPlot::add (juce::int64 index, const float* in, const float* out, double reductionDb)
{
    const auto count = (juce::int64) reduction.size();
    const auto c = (size_t) juce::jlimit<juce::int64> (0, count - 1, index * count / frames);

    for (int ch = 0; ch < channels; ++ch)
    {
        auto& col = columns[(size_t) ch][c];
        if (! col.used)
        {
            col = { in[ch], in[ch], out[ch], out[ch], true };
            continue;
        }
        col.inMin = std::min (col.inMin, in[ch]);
        col.inMax = std::max (col.inMax, in[ch]);
        col.outMin = std::min (col.outMin, out[ch]);
        col.outMax = std::max (col.outMax, out[ch]);
    }
    reduction[c] = std::max (reduction[c], (float) reductionDb);
    largest = std::max ({ largest, std::abs (in[0]), std::abs (in[channels - 1]), std::abs (out[0]), std::abs (out[channels - 1]) });
}

juce::Image WaveformPlot::draw (const juce::String& title, double ceiling, double levelDb) const
{
    const int height = marginTop + channels * (wavePanelHeight + panelGap) + reductionPanelHeight + marginBottom;
    juce::Image image (juce::Image::RGB, width, height, true);
    juce::Graphics g (image);
    g.fillAll (background);

    g.setColour (textColour);
    g.setFont (juce::Font (17.0f, juce::Font::bold));
    g.drawText (title, marginLeft, 8, width - marginLeft - marginRight, 22, juce::Justification::centredLeft, true);

    // Legend.
    g.setFont (juce::Font (13.0f));
    float x = (float) marginLeft;
    auto legend = [&] (juce::Colour colour, const juce::String& text, bool line)
    {
        g.setColour (colour);
        if (line)
            g.drawLine (x, 42.0f, x + 18.0f, 42.0f, 2.0f);
        else
            g.fillRect (x, 36.0f, 18.0f, 12.0f);
        g.setColour (textColour);
        g.drawText (text, (int) x + 24, 34, 200, 16, juce::Justification::centredLeft);
        x += 30.0f + (float) juce::Font (13.0f).getStringWidth (text) + 18.0f;
    };
    legend (inputColour, "input", false);
    legend (outputColour, "output", false);
    legend (ceilingColour, "ceiling " + juce::String (levelDb, 2) + " dBFS", true);
    legend (reductionColour, "gain reduction", false);

    const float range = std::max (1.0f, largest) * 1.05f;
    const float plotWidth = (float) (width - marginLeft - marginRight);

    float y = (float) marginTop;
    for (int ch = 0; ch < channels; ++ch)
    {
        drawWave (g, { (float) marginLeft, y, plotWidth, (float) wavePanelHeight }, ch, ceiling, range);
        y += (float) (wavePanelHeight + panelGap);
    }

    const juce::Rectangle<float> reductionArea ((float) marginLeft, y, plotWidth, (float) reductionPanelHeight);
    drawReduction (g, reductionArea);
    drawTimeAxis (g, { (float) marginLeft, (float) marginTop, plotWidth, reductionArea.getBottom() - (float) marginTop }, reductionArea.getBottom());
    return image;
}

void WaveformPlot::drawWave (juce::Graphics& g, juce::Rectangle<float> area, int channel, double ceiling, float range) const
{
    g.setColour (panelColour);
    g.fillRect (area);

    const auto toY = [&] (double v)
    { return area.getCentreY() - (float) (v / range) * area.getHeight() * 0.5f; };

    // Full scale and the zero line.
    g.setColour (gridColour);
    for (double v : { -1.0, 0.0, 1.0 })
        g.drawHorizontalLine ((int) toY (v), area.getX(), area.getRight());

    const auto& cols = columns[(size_t) channel];
    auto drawColumns = [&] (bool output)
    {
        g.setColour (output ? outputColour : inputColour);
        for (size_t c = 0; c < cols.size(); ++c)
        {
            if (! cols[c].used)
                continue;
            const float top = toY (output ? cols[c].outMax : cols[c].inMax);
            const float bottom = toY (output ? cols[c].outMin : cols[c].inMin);
            g.fillRect (area.getX() + (float) c, top, 1.0f, std::max (1.0f, bottom - top));
        }
    };
    drawColumns (false);
    drawColumns (true);

    // The ceiling, both ways.
    g.setColour (ceilingColour);
    const float dashes[] = { 6.0f, 4.0f };
    for (double v : { ceiling, -ceiling })
        g.drawDashedLine ({ area.getX(), toY (v), area.getRight(), toY (v) }, dashes, 2, 1.5f);

    g.setColour (textColour);
    g.setFont (juce::Font (12.0f));
    auto label = [&] (double v, const juce::String& text)
    {
        g.drawText (text, (int) area.getX() - marginLeft, (int) toY (v) - 8, marginLeft - 6, 16, juce::Justification::centredRight);
    };
    label (0.0, "0");
    label (1.0, "0 dBFS");
    label (-1.0, "0 dBFS");
    if (range > 1.3f)
    {
        const double top = range / 1.05;
        label (top, "+" + juce::String (20.0 * std::log10 (top), 1) + " dBFS");
    }

    g.setFont (juce::Font (12.0f, juce::Font::bold));
    g.drawText (channels == 1 ? juce::String ("mono") : channel == 0 ? juce::String ("left")
                                                                     : juce::String ("right"),
                area.reduced (6.0f, 4.0f).toNearestInt(), juce::Justification::topLeft);
    g.setColour (gridColour.darker (0.3f));
    g.drawRect (area, 1.0f);
}

void WaveformPlot::drawReduction (juce::Graphics& g, juce::Rectangle<float> area) const
{
    g.setColour (panelColour);
    g.fillRect (area);

    const float maxReduction = *std::max_element (reduction.begin(), reduction.end());
    const double span = std::max (3.0, std::ceil (std::min ((double) maxReduction, 60.0) / 3.0) * 3.0);
    const auto toY = [&] (double db)
    { return area.getY() + (float) (std::min (db, span) / span) * area.getHeight(); };

    g.setFont (juce::Font (12.0f));
    const double step = niceStep (span, 4);
    for (double db = 0.0; db <= span + 1e-9; db += step)
    {
        g.setColour (gridColour);
        g.drawHorizontalLine ((int) toY (db), area.getX(), area.getRight());
        g.setColour (textColour);
        g.drawText (db == 0.0 ? juce::String ("0 dB") : "-" + juce::String (db, step < 1.0 ? 1 : 0) + " dB",
                    (int) area.getX() - marginLeft, (int) toY (db) - 8, marginLeft - 6, 16, juce::Justification::centredRight);
    }

    g.setColour (reductionColour);
    for (size_t c = 0; c < reduction.size(); ++c)
        if (reduction[c] > 0.0f)
            g.fillRect (area.getX() + (float) c, area.getY(), 1.0f, std::max (1.0f, toY (reduction[c]) - area.getY()));

    g.setColour (textColour);
    g.setFont (juce::Font (12.0f, juce::Font::bold));
    g.drawText ("gain reduction", area.reduced (6.0f, 4.0f).toNearestInt(), juce::Justification::bottomLeft);
    g.setColour (gridColour.darker (0.3f));
    g.drawRect (area, 1.0f);
}

void WaveformPlot::drawTimeAxis (juce::Graphics& g, juce::Rectangle<float> plotArea, float y) const
{
    const double duration = (double) frames / sampleRate;
    const double step = niceStep (duration, 10);
    g.setFont (juce::Font (12.0f));

    for (double t = 0.0; t <= duration + 1e-9; t += step)
    {
        const float x = plotArea.getX() + (float) (t / duration) * plotArea.getWidth();
        g.setColour (gridColour.withAlpha (0.6f));
        g.drawVerticalLine ((int) x, plotArea.getY(), y);
        g.setColour (textColour);
        g.drawVerticalLine ((int) x, y, y + 5.0f);
        g.drawText (seconds (t, step), (int) x - 40, (int) y + 6, 80, 16, juce::Justification::centred);
    }
    g.drawText ("time", (int) plotArea.getRight() - 80, (int) y + 24, 80, 16, juce::Justification::centredRight);
}
