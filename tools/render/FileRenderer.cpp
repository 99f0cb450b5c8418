#include "tools/render/FileRenderer.h"

#include "limiter/LimiterEngine.h"
#include "processor/TolvoAudioProcessor.h"
#include "tools/render/AudioFileReader.h"
#include "tools/render/AudioFileWriter.h"
#include "tools/render/GainReduction.h"
#include "tools/render/HalfWaveTracker.h"
#include "tools/render/LoudnessMeter.h"
#include "tools/render/OutputTarget.h"
#include "tools/render/OverCounter.h"
#include "tools/render/RenderError.h"
#include "tools/render/TemporaryOutput.h"
#include "tools/render/WaveformPlot.h"

#include <cmath>
#include <optional>
#include <unistd.h>

FileRenderer::FileRenderer (const RenderOptions& renderOptions, const RenderJob& renderJob, const std::vector<juce::File>& inputs) :
    options (renderOptions), job (renderJob)
{
    reader = std::make_unique<AudioFileReader> (job.input, job.inputName);
    if ((reader->getAvailableFrames() < reader->getDeclaredFrames() || reader->getMissingBytes() > 0) && ! options.allowTruncated)
        throw RenderError { truncationMessage (reader->getAvailableFrames()) };

    std::vector<std::string> inputPaths;
    inputPaths.reserve (inputs.size());
    for (const auto& in : inputs)
        inputPaths.push_back (in.getFullPathName().toStdString());
    const auto check = [&] (const juce::File& target, const juce::String& name)
    { OutputTarget::check (target.getFullPathName().toStdString(), name.toStdString(), inputPaths, options.force); };

    if (! options.noOutput)
        check (job.output, job.outputName);
    if (options.plotName.isNotEmpty())
    {
        if (! options.noOutput && OutputTarget::sameFile (options.plot.getFullPathName().toStdString(), job.output.getFullPathName().toStdString()))
            throw RenderError { "--plot " + options.plotName + " would replace the output" };
        check (options.plot, options.plotName);
    }

    const int channels = reader->getNumChannels();
    const double sampleRate = reader->getSampleRate();

    processor = std::make_unique<TolvoAudioProcessor>();
    const auto set = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);
    if (! processor->setBusesLayout (layout))
        throw RenderError { "the processor refused a " + set.getDescription() + " layout" };

    processor->setRateAndBufferSizeDetails (sampleRate, options.blockSize);
    processor->prepareToPlay (sampleRate, options.blockSize);
    // Setting a value snaps it to the parameter's steps; leave the default
    // alone so that the default renders exactly as in a host.
    if ((float) options.levelDb != processor->levelParam->get())
        processor->levelParam->setValueNotifyingHost (processor->levelParam->convertTo0to1 ((float) options.levelDb));
    processor->enableParam->setValueNotifyingHost (options.enable ? 1.0f : 0.0f);

    if (! options.noOutput)
        writer = std::make_unique<AudioFileWriter> (job.output, job.outputName, channels, sampleRate, options.bits,
                                                    reader->getAvailableFrames() + processor->getLatencySamples());
}

FileRenderer::~FileRenderer()
{
    if (processor != nullptr)
        processor->releaseResources();
}

juce::String FileRenderer::truncationMessage (juce::int64 present) const
{
    const auto why = reader->getReadError();
    const auto what = present < reader->getDeclaredFrames()
                          ? "its header says " + juce::String (reader->getDeclaredFrames()) + " frames, but only " + juce::String (present) + " are there"
                          : "its last chunk runs " + juce::String (reader->getMissingBytes()) + " bytes past the end of the file";
    return job.inputName + " is cut short: " + what + (why.isNotEmpty() ? " (" + why + ")" : juce::String())
           + "; add --allow-truncated to render " + (present < reader->getDeclaredFrames() ? "those" : "it");
}

// What a render measures as it goes, input and output side by side.
struct FileRenderer::Measures
{
    Measures (int channels, double rate, double ceiling, bool limiting) :
        in (channels, rate), out (channels, rate), halfWaves (channels, limiting),
        overs (channels, ceiling, out.getTruePeakDelay(), halfWaves)
    {
    }

    LoudnessMeter in, out;
    HalfWaveTracker halfWaves;
    OverCounter overs;
    GainReduction reduction;
    std::optional<WaveformPlot> plot;
};

namespace
{
// Each output frame's own input frame: `input` delayed by the length of `history`, in `aligned`.
void alignInput (const juce::AudioBuffer<float>& input, juce::AudioBuffer<float>& aligned, juce::AudioBuffer<float>& history,
                 int delay, int& historyPos)
{
    const int n = input.getNumSamples();
    for (int ch = 0; ch < input.getNumChannels(); ++ch)
    {
        const auto* x = input.getReadPointer (ch);
        auto* a = aligned.getWritePointer (ch);
        auto* h = history.getWritePointer (ch);
        for (int i = 0, pos = historyPos; i < n; ++i)
        {
            if (delay == 0)
            {
                a[i] = x[i];
                continue;
            }
            a[i] = h[pos];
            h[pos] = x[i];
            pos = pos + 1 == delay ? 0 : pos + 1;
        }
    }
    if (delay > 0)
        historyPos = (int) ((historyPos + n) % delay);
}
} // namespace

void FileRenderer::measure (Measures& m, const juce::AudioBuffer<float>& aligned, juce::AudioBuffer<float>& block,
                            int from, int count, juce::int64 written, juce::int64 inputOffset)
{
    const int channels = block.getNumChannels();
    auto& frameReduction = reductionScratch;
    for (int i = from; i < from + count; ++i)
    {
        double most = 0.0;
        for (int ch = 0; ch < channels; ++ch)
            most = std::max (most, m.reduction.add (aligned.getSample (ch, i), block.getSample (ch, i)));
        frameReduction[(size_t) i] = most;
    }

    if (writer != nullptr)
        writer->write (block, from, count); // rounds the block to what the file holds

    float in[2] = {}, out[2] = {};
    double truePeaks[2] = {};
    for (int i = from; i < from + count; ++i)
    {
        const juce::int64 o = written + (i - from);
        for (int ch = 0; ch < channels; ++ch)
        {
            in[ch] = aligned.getSample (ch, i);
            out[ch] = block.getSample (ch, i);
        }
        m.out.addFrame (out, truePeaks);
        m.overs.add (o, o + inputOffset, out, truePeaks);
        if (m.plot)
            m.plot->add (o, in, out, frameReduction[(size_t) i]);
    }
}

RenderReport FileRenderer::run (const std::function<void (double)>& progress)
{
    const int channels = reader->getNumChannels();
    const int n = options.blockSize;
    const double rate = reader->getSampleRate();
    const int latency = processor->getLatencySamples();
    const double levelDb = (double) processor->levelParam->get();
    const double ceiling = LimiterEngine::gainFromDb (levelDb);

    // With Enable off the audio is not delayed, whatever the reported latency.
    const int delay = options.enable ? latency : 0;
    const juce::int64 skip = options.keepLatency ? 0 : delay;
    // Kept, the delay lengthens the output so that every input frame comes out.
    const juce::int64 tail = delay - skip;

    Measures m (channels, rate, ceiling, options.enable);
    // The engine says where it closes segments; the tracker outlives no render.
    processor->setSegmentObserver (&m.halfWaves);
    const std::unique_ptr<TolvoAudioProcessor, void (*) (TolvoAudioProcessor*)> observed (processor.get(), [] (TolvoAudioProcessor* p)
                                                                                          { p->setSegmentObserver (nullptr); });
    if (options.plotName.isNotEmpty())
        m.plot.emplace (channels, reader->getAvailableFrames() + tail, rate);
    const double totalFrames = (double) juce::jmax<juce::int64> (1, reader->getAvailableFrames());

    juce::AudioBuffer<float> block (channels, n), input (channels, n), aligned (channels, n);
    juce::AudioBuffer<float> history (channels, juce::jmax (1, delay));
    history.clear();
    reductionScratch.assign ((size_t) n, 0.0);
    juce::MidiBuffer midi;
    int historyPos = 0, inputFrames = 0;
    juce::int64 frames = -1, readPos = 0, produced = 0, written = 0;

    while (frames < 0 || written < frames + tail)
    {
        block.clear();
        if (frames < 0)
        {
            const int got = reader->read (block, n);
            readPos += got;
            if (got < n)
                frames = readPos;
            for (int ch = 0; ch < channels; ++ch)
                input.copyFrom (ch, 0, block, ch, 0, n);
            m.in.add (input, 0, got);
            inputFrames = got;
        }
        else
        {
            input.clear();
        }

        if (frames >= 0 && frames < reader->getDeclaredFrames() && ! options.allowTruncated)
            throw RenderError { truncationMessage (frames) };

        processor->processBlock (block, midi);
        m.halfWaves.push (input, inputFrames);
        inputFrames = 0;
        alignInput (input, aligned, history, delay, historyPos);

        // Drop the first `skip` frames so the output lines up with the input.
        const int from = (int) juce::jlimit<juce::int64> (0, n, skip - produced);
        produced += n;
        const int count = (int) (frames < 0 ? n - from : juce::jmin<juce::int64> (n - from, frames + tail - written));
        if (count <= 0)
            continue;

        measure (m, aligned, block, from, count, written, skip - delay);
        written += count;
        m.halfWaves.forgetBefore (m.overs.getOldestOpenInput());
        progress ((double) written / totalFrames);
    }

    m.overs.finish();
    m.halfWaves.finish();

    auto report = makeReport (m, frames, levelDb, latency, delay, skip);
    finishFiles (m, report, ceiling, levelDb);
    return report;
}

RenderReport FileRenderer::makeReport (const Measures& m, juce::int64 frames, double levelDb, int latency, int delay, juce::int64 skip) const
{
    const double rate = reader->getSampleRate();
    RenderReport report;
    report.input = job.inputName;
    report.output = job.outputName;
    report.inputFormat = reader->describeFormat();
    report.outputFormat = writer != nullptr ? writer->describeFormat() : "none";
    report.sampleRate = rate;
    report.channels = reader->getNumChannels();
    report.frames = frames;
    report.declaredFrames = reader->getDeclaredFrames();
    report.missingBytes = reader->getMissingBytes();
    report.levelDb = levelDb;
    report.enable = options.enable;
    report.latency = latency;
    report.delay = (int) (delay - skip);
    report.wroteAudio = writer != nullptr;
    report.blockSize = options.blockSize;

    auto side = [] (const LoudnessMeter& meter)
    {
        return RenderReport::Side { meter.getSamplePeak(), meter.getTruePeak(), meter.getIntegratedLoudness(), meter.getLoudnessRange() };
    };
    report.in = side (m.in);
    report.out = side (m.out);
    report.reductionMaxDb = m.reduction.getMaximum();
    report.reductionMeanDb = m.reduction.getMean();
    report.overSamples = m.overs.samples;
    report.truePeakOvers = m.overs.truePeakOvers;
    if (m.overs.firstSample >= 0)
        report.firstOverSample = (double) m.overs.firstSample / rate;
    if (m.overs.firstTruePeak >= 0)
        report.firstTruePeakOver = (double) m.overs.firstTruePeak / rate;
    report.clippedSamples = writer != nullptr ? writer->getClippedSamples() : 0;

    for (int r = 0; r < passReasonCount; ++r)
    {
        const auto& t = m.halfWaves.tally ((PassReason) r);
        if (t.samples + t.truePeakOvers > 0)
            report.passes.push_back ({ (PassReason) r, t.samples, t.truePeakOvers, (double) (t.first + delay - skip) / rate });
    }
    return report;
}

void FileRenderer::finishFiles (const Measures& m, RenderReport& report, double ceiling, double levelDb)
{
    // The picture first: the sound file takes its place only when both are done.
    std::optional<TemporaryOutput> picture;
    if (m.plot)
    {
        picture.emplace (options.plot.getFullPathName().toStdString(), options.plotName.toStdString());
        ::close (picture->takeDescriptor());
        const auto title = job.inputName + " -> " + job.outputName + ", Level " + juce::String (levelDb, 2) + " dB"
                           + (options.enable ? "" : ", Enable off");
        const auto image = m.plot->draw (title, ceiling, levelDb);
        juce::FileOutputStream stream (juce::File (juce::String::fromUTF8 (picture->getPath().c_str())));
        juce::PNGImageFormat png;
        if (! stream.openedOk() || ! png.writeImageToStream (image, stream) || (stream.flush(), stream.getStatus().failed()))
            throw RenderError { "cannot write " + options.plotName };
        report.plot = options.plotName;
    }

    if (writer != nullptr)
        writer->commit (options.force);
    if (picture)
        picture->commit (options.force);
}
