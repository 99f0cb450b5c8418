#include "tools/render/RenderReport.h"

#include "tools/render/JsonWriter.h"

#include <cmath>
#include <cstdlib>

namespace
{
std::optional<double> decibels (double linear)
{
    if (! (linear > 0.0))
        return std::nullopt;
    return 20.0 * std::log10 (linear);
}

juce::String level (std::optional<double> db, const char* unit, int decimals = 2)
{
    if (! db)
        return juce::String ("-inf ") + unit;
    return (*db >= 0.0 ? "+" : "") + juce::String (*db, decimals) + " " + unit;
}

juce::var number (std::optional<double> v, int decimals = 4)
{
    if (! v || ! std::isfinite (*v))
        return {};
    return std::strtod (juce::String (*v, decimals).toRawUTF8(), nullptr);
}

juce::String at (std::optional<double> seconds)
{
    return seconds ? ", first at " + juce::String (*seconds, 3) + " s" : juce::String();
}

void writeJson (JsonWriter& json, const char* key, const juce::var& v)
{
    if (auto* object = v.getDynamicObject())
    {
        json.beginObject (key);
        for (const auto& property : object->getProperties())
        {
            const auto name = property.name.toString();
            writeJson (json, name.toRawUTF8(), property.value);
        }
        json.endObject();
    }
    else if (auto* array = v.getArray())
    {
        json.beginArray (key);
        for (const auto& element : *array)
            writeJson (json, nullptr, element);
        json.endArray();
    }
    else if (v.isDouble() && std::isfinite ((double) v))
        json.value (key, (double) v, 15); // gives back the short decimal a figure was rounded to
    else if (v.isBool())
        json.value (key, (bool) v);
    else if (v.isInt() || v.isInt64())
        json.value (key, (int64_t) (juce::int64) v);
    else if (v.isString())
        json.value (key, v.toString().toStdString());
    else
        json.null (key);
}

juce::String plural (juce::int64 n, const char* one, const char* many)
{
    return juce::String (n) + " " + (n == 1 ? one : many);
}
} // namespace

void RenderReport::printText (std::FILE* f) const
{
    const auto line = [f] (const juce::String& s)
    { std::fprintf (f, "%s\n", s.toRawUTF8()); };
    const auto column = [] (const juce::String& s)
    { return s.paddedRight (' ', 14); };

    line (input + " -> " + (wroteAudio ? output : juce::String ("(no audio written)")));
    line ("  " + juce::String (frames) + " frames at " + juce::String (sampleRate) + " Hz, "
          + plural (channels, "channel", "channels") + ": " + inputFormat + " -> " + outputFormat);
    if (frames < declaredFrames)
        line ("  cut short: its header says " + juce::String (declaredFrames) + " frames; rendered the " + juce::String (frames) + " present");
    else if (missingBytes > 0)
        line ("  cut short: " + juce::String (missingBytes) + " bytes missing at the end; rendered what is there");
    line ("  Level " + juce::String (levelDb, 2) + " dB, Enable " + (enable ? "on" : "off") + ", block " + juce::String (blockSize));
    line ("  latency " + juce::String (latency) + " samples (" + juce::String (1000.0 * latency / sampleRate, 1) + " ms), "
          + (delay > 0 ? "kept in the output" : enable ? "taken out"
                                                       : "not applied: Enable off passes the audio undelayed"));
    line ("                  " + column ("input") + "output");
    line ("  sample peak     " + column (level (decibels (in.samplePeak), "dBFS")) + level (decibels (out.samplePeak), "dBFS"));
    line ("  true peak       " + column (level (decibels (in.truePeak), "dBTP")) + level (decibels (out.truePeak), "dBTP"));
    line ("  loudness        " + column (level (in.integratedLufs, "LUFS", 1)) + level (out.integratedLufs, "LUFS", 1));
    line ("  loudness range  " + column (juce::String (in.loudnessRangeLu, 1) + " LU") + juce::String (out.loudnessRangeLu, 1) + " LU");
    line ("  gain reduction  max " + juce::String (reductionMaxDb, 2) + " dB, mean " + juce::String (reductionMeanDb, 2) + " dB");
    // Overs can be a ten-thousandth of a dB; say by how much.
    const auto by = [this] (juce::int64 n, double peak)
    {
        return n > 0 ? " (up to " + juce::String (20.0 * std::log10 (peak) - levelDb, 4) + " dB over)" : juce::String();
    };
    line ("  over the ceiling (" + juce::String (levelDb, 2) + " dBFS): " + plural (overSamples, "sample", "samples") + by (overSamples, out.samplePeak)
          + at (firstOverSample) + "; " + plural (truePeakOvers, "true-peak over", "true-peak overs") + by (truePeakOvers, out.truePeak)
          + at (firstTruePeakOver));
    for (const auto& p : passes)
        line ("  why: " + juce::String (passReasonText (p.reason)) + " (" + juce::String (p.samples) + " samples, "
              + juce::String (p.truePeakOvers) + " true-peak overs, first at " + juce::String (p.first, 3) + " s)");
    if (clippedSamples > 0)
        line ("  clipped: " + plural (clippedSamples, "sample", "samples") + " went past full scale and were held at it");
    if (plot.isNotEmpty())
        line ("  plot " + plot);
}

juce::var RenderReport::toJson() const
{
    auto side = [] (const Side& s)
    {
        auto* o = new juce::DynamicObject();
        o->setProperty ("samplePeakDbfs", number (decibels (s.samplePeak)));
        o->setProperty ("truePeakDbtp", number (decibels (s.truePeak)));
        o->setProperty ("integratedLufs", number (s.integratedLufs));
        o->setProperty ("loudnessRangeLu", number (s.loudnessRangeLu));
        return juce::var (o);
    };

    auto* o = new juce::DynamicObject();
    o->setProperty ("input", input);
    o->setProperty ("output", wroteAudio ? juce::var (output) : juce::var());
    o->setProperty ("ok", true);
    o->setProperty ("inputFormat", inputFormat);
    o->setProperty ("outputFormat", outputFormat);
    o->setProperty ("sampleRate", sampleRate == std::floor (sampleRate) ? juce::var ((int) sampleRate) : juce::var (sampleRate));
    o->setProperty ("channels", channels);
    o->setProperty ("frames", frames);
    o->setProperty ("declaredFrames", declaredFrames);
    o->setProperty ("truncated", frames < declaredFrames || missingBytes > 0);
    o->setProperty ("levelDb", number (levelDb));
    o->setProperty ("enable", enable);
    o->setProperty ("blockSize", blockSize);
    o->setProperty ("latencySamples", latency);
    o->setProperty ("latencyKept", delay > 0);
    o->setProperty ("in", side (in));
    o->setProperty ("out", side (out));

    auto* gr = new juce::DynamicObject();
    gr->setProperty ("maxDb", number (reductionMaxDb));
    gr->setProperty ("meanDb", number (reductionMeanDb));
    o->setProperty ("gainReduction", juce::var (gr));

    auto* ov = new juce::DynamicObject();
    ov->setProperty ("ceilingDbfs", number (levelDb));
    ov->setProperty ("samples", overSamples);
    ov->setProperty ("firstSampleSeconds", number (firstOverSample, 6));
    ov->setProperty ("truePeak", truePeakOvers);
    ov->setProperty ("firstTruePeakSeconds", number (firstTruePeakOver, 6));
    o->setProperty ("overs", juce::var (ov));

    juce::Array<juce::var> why;
    for (const auto& p : passes)
    {
        auto* w = new juce::DynamicObject();
        w->setProperty ("reason", passReasonKey (p.reason));
        w->setProperty ("text", passReasonText (p.reason));
        w->setProperty ("samples", p.samples);
        w->setProperty ("truePeakOvers", p.truePeakOvers);
        w->setProperty ("firstSeconds", number (p.first, 6));
        why.add (juce::var (w));
    }
    o->setProperty ("passes", why);
    o->setProperty ("clippedSamples", clippedSamples);
    o->setProperty ("plot", plot.isEmpty() ? juce::var() : juce::var (plot));
    return juce::var (o);
}

juce::String RenderReport::formatJson (const juce::var& document)
{
    JsonWriter json;
    writeJson (json, nullptr, document);
    return juce::String::fromUTF8 (json.text().c_str()).trimEnd();
}

juce::var RenderReport::failureJson (const juce::String& input, const juce::String& output, const juce::String& error)
{
    auto* o = new juce::DynamicObject();
    o->setProperty ("input", input);
    o->setProperty ("output", output);
    o->setProperty ("ok", false);
    o->setProperty ("error", error);
    return juce::var (o);
}
