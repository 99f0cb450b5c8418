#include "processor/TolvoAudioProcessor.h"

#include "processor/TolvoParameters.h"

// The LV2 DSP binary is built without the window, which lives in a binary
// of its own there.
#ifndef TOLVO_WITHOUT_EDITOR
#include "editor/TolvoAudioProcessorEditor.h"
#endif

#include "limiter/LimiterEngine.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace
{
// Look-ahead limits: the engine needs two samples, and a nonsense rate must
// not turn into a ring of gigabytes.
constexpr double minimumLookahead = 2.0;
constexpr double maximumLookahead = double (1 << 22);

constexpr long maximumTagCount = 4096;

// Our blocks are one plain element after the declaration. The framework's
// XML reader mishandles some things that are not: it reads past the end of
// malformed UTF-8, recurses once per nesting level, loops for ever on a
// processing instruction inside an element, and expands self-referring DTD
// entities without end. A block holding any of them is refused before it
// reaches the parser.
bool isSafeToParse (const char* text, int numBytes)
{
    const std::string_view t (text, (size_t) (std::find (text, text + numBytes, '\0') - text));
    const auto declarationEnd = t.rfind ("<?", 0) == 0 ? 2 : 0;

    return juce::CharPointer_UTF8::isValidString (t.data(), (int) t.size())
           && std::count (t.begin(), t.end(), '<') <= maximumTagCount
           && t.find ("<?", (size_t) declarationEnd) == std::string_view::npos
           && t.find ("<!DOCTYPE") == std::string_view::npos;
}

// Reads an attribute the lenient way the framework does: leading white space
// skipped, the leading number taken and the rest ignored, no number reads as
// 0, nan and inf read as such. Done here because the framework's reader
// overflows an int on a long exponent.
double readNumber (const juce::String& text)
{
    const std::string s = text.toStdString();
    const char* p = s.data();
    const char* const end = p + s.size();

    while (p != end && std::isspace ((unsigned char) *p))
        ++p;

    if (p != end && *p == '+' && p + 1 != end && *(p + 1) != '-')
        ++p;

    double value = 0.0;
    const auto [next, error] = std::from_chars (p, end, value);

    if (error == std::errc::result_out_of_range)
    {
        // Beyond double: the exponent's sign tells overflow from underflow.
        const auto e = std::find_if (p, next, [] (char c)
                                     { return c == 'e' || c == 'E'; });
        const bool negative = *p == '-';
        const bool overflow = e != next && e + 1 != next && *(e + 1) != '-';
        value = overflow ? std::numeric_limits<double>::infinity() : 0.0;
        return negative ? -value : value;
    }

    return error == std::errc() ? value : 0.0;
}

double readAttribute (const juce::XmlElement& xml, const char* name, double valueIfMissing)
{
    return xml.hasAttribute (name) ? readNumber (xml.getStringAttribute (name)) : valueIfMissing;
}

} // namespace

TolvoAudioProcessor::TolvoAudioProcessor (juce::PluginHostType::HostType host) :
    juce::AudioProcessor (BusesProperties()
                              .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                              .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
    limiter (std::make_unique<LimiterEngine>())
{
    hostType.type = host;
    using namespace TolvoParameters;

    auto enable = std::make_unique<juce::AudioParameterBool> (juce::ParameterID { enableId, idVersion }, enableName, enableDefault);
    enableParam = enable.get();
    addParameter (enable.release());

    auto level = std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { levelId, idVersion }, levelName,
                                                              juce::NormalisableRange<float> (levelMinimumDb, levelMaximumDb, levelStepDb, 1.0f, false),
                                                              levelDefaultDb);
    levelParam = level.get();
    addParameter (level.release());
}

TolvoAudioProcessor::~TolvoAudioProcessor() = default;

const juce::String TolvoAudioProcessor::getName() const { return "Tolvo"; }

bool TolvoAudioProcessor::isLatencyExemptHost() const
{
    return hostType.isAbletonLive() || hostType.isSteinberg() || hostType.isDaVinciResolve();
}

bool TolvoAudioProcessor::isBitwigHost() const
{
    return hostType.isBitwigStudio();
}

void TolvoAudioProcessor::prepareToPlay (double sampleRate, int)
{
    const bool rateChanged = ! (sampleRate == lastSampleRate);
    lastSampleRate = sampleRate;

    // Bitwig prepares again on every transport start; keep the engine's
    // contents unless the rate really changed.
    if (preparedForBitwig && ! rateChanged)
        return;

    const double lookahead = sampleRate * 30.0 / 1000.0;

    // A rate that gives no usable look-ahead (0, negative, NaN, infinite or
    // absurd) leaves the processor unprepared: blocks pass untouched.
    if (lookahead >= minimumLookahead && lookahead <= maximumLookahead)
        lookaheadSamples = (int) lookahead;
    else
        lookaheadSamples = 0;

    if (freshStartPending)
    {
        limiter = std::make_unique<LimiterEngine>();
        limiter->setObserver (segmentObserver);
        freshStartPending = false;
    }

    limiter->setLookahead (lookaheadSamples);
    bypassDelay.setLength (lookaheadSamples);
    bypassRunning = false;

    if (! isLatencyExemptHost())
        setLatencySamples (lookaheadSamples);

    preparedForBitwig = isBitwigHost();
}

void TolvoAudioProcessor::releaseResources()
{
    if (isBitwigHost())
        return;

    if (! isLatencyExemptHost() && getLatencySamples() != 0)
        setLatencySamples (0);

    freshStartPending = true;
}

void TolvoAudioProcessor::setSegmentObserver (SegmentObserver* observer) noexcept
{
    segmentObserver = observer;
    limiter->setObserver (observer);
}

bool TolvoAudioProcessor::keepsLatencyWhenBypassed() const
{
    return wrapperType == wrapperType_VST3 || wrapperType == wrapperType_LV2;
}

void TolvoAudioProcessor::setNonRealtime (bool isNonRealtime) noexcept
{
    juce::AudioProcessor::setNonRealtime (isNonRealtime);
    blocksBegun.fetch_add (1, std::memory_order_relaxed);
}

void TolvoAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    if (keepsLatencyWhenBypassed())
        processDelayedBypass (buffer);
    else
        juce::AudioProcessor::processBlockBypassed (buffer, midi);
}

void TolvoAudioProcessor::processBlockBypassed (juce::AudioBuffer<double>& buffer, juce::MidiBuffer& midi)
{
    if (keepsLatencyWhenBypassed())
        processDelayedBypass (buffer);
    else
        juce::AudioProcessor::processBlockBypassed (buffer, midi);
}

// Every output frame is the input of one look-ahead earlier. The engine keeps
// running on the input (while Enable is on), so its pending frames still come
// out when a bypass begins, and leaving the bypass resumes it without a gap
// or a repeat; once the pending frames are out, the unlimited delay follows.
template <typename Sample>
void TolvoAudioProcessor::processDelayedBypass (juce::AudioBuffer<Sample>& buffer)
{
    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();

    // Unprepared: there is nothing to delay through.
    if (lookaheadSamples < 2 || bypassDelay.getLength() != lookaheadSamples || numChannels == 0 || numSamples == 0)
        return;

    // A block begun right after the last bypassed one continues its run;
    // anything in between (a processed block, a prepare) starts a new one.
    const auto block = blocksBegun.load (std::memory_order_relaxed);
    const bool continuing = bypassRunning && (block == lastBypassedBlock || block == lastBypassedBlock + 1);
    lastBypassedBlock = block;
    bypassRunning = true;

    if (! continuing)
    {
        bypassDelay.clear();
        framesSinceBypassBegan = 0;
    }

    const int numInputs = getTotalNumInputChannels();
    const int numOutputs = getTotalNumOutputChannels();

    for (int ch = numInputs; ch < juce::jmin (numOutputs, numChannels); ++ch)
        buffer.clear (ch, 0, numSamples);

    const bool enabled = enableParam->get();
    const double sampleRate = getSampleRate();
    const bool stereo = numInputs >= 2 && numOutputs >= 2 && numChannels >= 2;
    const bool writeRight = numOutputs >= 2 && numChannels >= 2;
    const bool mono = numOutputs < 2;

    Sample* left = buffer.getWritePointer (0);
    Sample* right = numChannels >= 2 ? buffer.getWritePointer (1) : nullptr;

    for (int i = 0; i < numSamples; ++i)
    {
        const double inLeft = (double) left[i];
        const double inRight = stereo ? (double) right[i] : inLeft;
        double engineLeft = 0.0;
        double engineRight = 0.0;

        if (enabled)
            limiter->processSample (inLeft, inRight, &engineLeft, &engineRight, sampleRate, (double) levelParam->get(), mono);

        const double delayedLeft = bypassDelay.exchange (0, inLeft);
        const double delayedRight = bypassDelay.exchange (1, inRight);
        bypassDelay.advance();

        const bool pending = framesSinceBypassBegan < lookaheadSamples;
        framesSinceBypassBegan += pending ? 1 : 0;

        left[i] = (Sample) (pending && enabled ? engineLeft : delayedLeft);

        if (writeRight)
            right[i] = (Sample) (pending && enabled ? engineRight : delayedRight);
    }
}

void TolvoAudioProcessor::processBlock (juce::AudioBuffer<double>& buffer, juce::MidiBuffer&)
{
    // Off, or NaN: the block stays exactly as it came, undelayed.
    if (enableParam->get())
        limitBlock (buffer, false);
}

// The float block runs through the engine in double precision, each sample
// widened on its way in and narrowed on its way out, frame by frame, as if it
// had been copied into a double buffer and back.
void TolvoAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    if (enableParam->get())
        limitBlock (buffer, buffer.hasBeenCleared());
}

void TolvoAudioProcessor::processBlock (const float* const* inputs, juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    if (enableParam->get() && lookaheadSamples >= 2)
        return limitBlock (buffer, false, inputs);

    // Nothing to limit: the block is its input (which may be the block itself).
    for (int ch = 0; ch < juce::jmin (getTotalNumInputChannels(), buffer.getNumChannels()); ++ch)
        if (inputs[ch] != buffer.getReadPointer (ch))
            buffer.copyFrom (ch, 0, inputs[ch], buffer.getNumSamples());
    processBlock (buffer, midi);
}

// Runs the engine once per frame over the block, in place or from `inputs`;
// a silent block's samples count as 0.0 whatever its memory holds.
template <typename Sample>
void TolvoAudioProcessor::limitBlock (juce::AudioBuffer<Sample>& buffer, bool silent, const Sample* const* inputs)
{
    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();

    if (lookaheadSamples < 2 || numChannels == 0 || numSamples == 0)
        return;

    const int numInputs = getTotalNumInputChannels();
    const int numOutputs = getTotalNumOutputChannels();

    for (int ch = numInputs; ch < juce::jmin (numOutputs, numChannels); ++ch)
        buffer.clear (ch, 0, numSamples);

    const bool stereo = numInputs >= 2 && numOutputs >= 2 && numChannels >= 2;
    const bool writeRight = numOutputs >= 2 && numChannels >= 2;
    Sample* left = buffer.getWritePointer (0);
    Sample* right = writeRight ? buffer.getWritePointer (1) : nullptr;

    if (silent)
        for (Sample* channel : { left, right })
            if (channel != nullptr)
                std::fill (channel, channel + numSamples, Sample());

    const Sample* const* from = inputs != nullptr ? inputs : buffer.getArrayOfReadPointers();

    // The Level is read at each frame where the engine needs it.
    limiter->processBlock (from[0], from[stereo ? 1 : 0], left, right, numSamples, getSampleRate(), *levelParam, numOutputs < 2);
}

double TolvoAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool TolvoAudioProcessor::acceptsMidi() const { return false; }
bool TolvoAudioProcessor::producesMidi() const { return false; }
bool TolvoAudioProcessor::isMidiEffect() const { return false; }

juce::AudioProcessorEditor* TolvoAudioProcessor::createEditor()
{
#ifndef TOLVO_WITHOUT_EDITOR
    return new TolvoAudioProcessorEditor (*this);
#else
    return nullptr;
#endif
}

bool TolvoAudioProcessor::hasEditor() const { return true; }

int TolvoAudioProcessor::getNumPrograms() { return 1; }
int TolvoAudioProcessor::getCurrentProgram() { return 0; }
void TolvoAudioProcessor::setCurrentProgram (int) {}
// VST3 publishes the one program as a factory preset, which hosts and the
// format's validator expect to carry a name; elsewhere it stays unnamed.
const juce::String TolvoAudioProcessor::getProgramName (int)
{
    return wrapperType == wrapperType_VST3 ? "Default" : juce::String();
}
void TolvoAudioProcessor::changeProgramName (int, const juce::String&) {}

void TolvoAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::XmlElement xml (TolvoParameters::stateTag);
    xml.setAttribute (TolvoParameters::enableId, enableParam->get() ? 1 : 0);
    xml.setAttribute (TolvoParameters::levelId, (double) levelParam->get());

    destData.reset();
    copyXmlToBinary (xml, destData);
}

void TolvoAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 8)
        return;

    // The text as the framework's reader will take it: after the 8-byte
    // header, cut to the data.
    const auto* bytes = static_cast<const char*> (data);
    const int textBytes = juce::jmin (sizeInBytes - 8, (int) juce::ByteOrder::littleEndianInt (bytes + 4));

    if (textBytes > 0 && ! isSafeToParse (bytes + 8, textBytes))
        return;

    const auto xml = getXmlFromBinary (data, sizeInBytes);

    if (xml == nullptr || ! xml->hasTagName (TolvoParameters::stateTag))
        return;

    // Any number of 0.5 or more means on; store a legal switch value.
    const double currentEnable = enableParam->get() ? 1.0 : 0.0;
    const double enable = readAttribute (*xml, TolvoParameters::enableId, currentEnable);
    enableParam->setValueNotifyingHost (enable >= 0.5 ? 1.0f : 0.0f);

    const double level = readAttribute (*xml, TolvoParameters::levelId, (double) levelParam->get());

    // A level that reads as NaN is refused: Level keeps its value (and the
    // host is still told, as for any restore).
    const float newLevel = std::isnan (level) ? levelParam->get() : (float) level;
    levelParam->setValueNotifyingHost (levelParam->convertTo0to1 (newLevel));
}

bool TolvoAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto output = layouts.getMainOutputChannelSet();

    if (output != juce::AudioChannelSet::mono() && output != juce::AudioChannelSet::stereo())
        return false;

    return layouts.getMainInputChannelSet() == output;
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new TolvoAudioProcessor();
}
