// tolvo-aax-host: a stand-in AAX host for the plug-in library.
//
//   tolvo-aax-host scan LIB
//   tolvo-aax-host render LIB IN.wav OUT.wav [--level DB] [--bypass] [--block N] [--force]
//   tolvo-aax-host chunks LIB
//   tolvo-aax-host gui LIB [--snapshot FILE.bmp] [--unload]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "processor/BlockSize.h"
#include "processor/TolvoParameters.h"
#include "tools/render/AudioFileReader.h"
#include "tools/render/AudioFileWriter.h"
#include "tools/render/CommandLine.h"
#include "tools/render/FileError.h"
#include "tools/render/JsonWriter.h"
#include "tools/render/OutputTarget.h"
#include "tools/render/RenderError.h"

#include "AAX_CString.h"
#include "AAX_Enums.h"
#include "AAX_Errors.h"
#include "AaxHost.h"
#include "HostInstance.h"
#include "AudioData.h"

#include <unistd.h>

#if defined(_WIN32)
#include "HostWindow.h"
#endif

namespace
{
const char* const usage =
    "usage: tolvo-aax-host scan LIB\n"
    "       tolvo-aax-host render LIB IN.wav OUT.wav [--level DB] [--bypass] [--block N] [--force]\n"
    "       tolvo-aax-host chunks LIB\n"
    "       tolvo-aax-host gui LIB [--snapshot FILE.bmp] [--unload]\n";
const char* const footer = "Exit status: 0 done, 1 failed, 2 the command line is wrong.";

// The property's name in the SDK's own enumeration, for readers of the scan.
const char* propertyName (int32_t id)
{
#define TOLVO_PROPERTY_NAME(property) \
    case property:                    \
        return #property;

    switch (id)
    {
        TOLVO_PROPERTY_NAME (AAX_eProperty_ManufacturerID)
        TOLVO_PROPERTY_NAME (AAX_eProperty_ProductID)
        TOLVO_PROPERTY_NAME (AAX_eProperty_PlugInID_Native)
        TOLVO_PROPERTY_NAME (AAX_eProperty_PlugInID_AudioSuite)
        TOLVO_PROPERTY_NAME (AAX_eProperty_InputStemFormat)
        TOLVO_PROPERTY_NAME (AAX_eProperty_OutputStemFormat)
        TOLVO_PROPERTY_NAME (AAX_eProperty_CanBypass)
        TOLVO_PROPERTY_NAME (AAX_eProperty_SupportsSideChainInput)
        TOLVO_PROPERTY_NAME (AAX_eProperty_Constraint_MultiMonoSupport)
        default:
            return "";
    }

#undef TOLVO_PROPERTY_NAME
}

int fail (const std::string& message)
{
    std::fprintf (stderr, "tolvo-aax-host: %s\n", message.c_str());
    return 1;
}

// Loads and starts the library, registers it and reads back its description;
// false (with the reason) only when the library cannot be loaded.
bool load (AaxHost& host, const char* path, ACFRESULT& registerResult, PluginDescription& description, std::string& error)
{
    error = host.load (path);

    if (! error.empty())
        return false;

    host.startup();
    registerResult = host.registerPlugin();
    description = host.log().describe();
    return true;
}

// As load, and the registration must succeed with at least one effect that
// has a component.
bool open (AaxHost& host, const char* path, PluginDescription& description, std::string& error)
{
    ACFRESULT result = 0;

    if (! load (host, path, result, description, error))
        return false;

    if (result != 0)
    {
        error = "ACFRegisterPlugin failed with " + std::to_string (result);
        return false;
    }

    if (description.effects.empty() || description.effects.front().components.empty())
    {
        error = "the library describes no component";
        return false;
    }

    return true;
}

const PluginDescription::Component* findComponent (const PluginDescription::Effect& effect, int channels)
{
    for (const auto& c : effect.components)
        if (static_cast<int> (AAX_STEM_FORMAT_CHANNEL_COUNT (c.inputStemFormat)) == channels
            && c.outputStemFormat == c.inputStemFormat)
            return &c;

    return nullptr;
}

void writeParameters (JsonWriter& json, const HostInstance& instance)
{
    json.beginArray ("parameters");

    for (const auto& p : instance.listParameters())
    {
        json.beginObject()
            .value ("id", p.id)
            .value ("name", p.name)
            .value ("shortName", p.shortName)
            .value ("steps", static_cast<int64_t> (p.steps))
            .value ("type", p.type == AAX_eParameterType_Discrete ? "discrete" : "continuous")
            .value ("default", p.defaultValue)
            .value ("automatable", p.automatable)
            .value ("orientation", static_cast<int64_t> (p.orientation))
            .endObject();
    }

    json.endArray();
}

void writeComponent (JsonWriter& json, const PluginDescription::Component& component)
{
    json.beginObject()
        .hex ("inputStemFormat", static_cast<uint32_t> (component.inputStemFormat))
        .hex ("outputStemFormat", static_cast<uint32_t> (component.outputStemFormat))
        .pointer ("processProc", component.processProc)
        .beginArray ("fields");

    for (const auto& field : component.fields)
    {
        json.beginObject().value ("index", static_cast<int64_t> (field.index)).value ("kind", field.kind);

        if (field.size >= 0)
            json.value ("size", field.size);
        if (field.portType >= 0)
            json.value ("portType", field.portType);

        json.endObject();
    }

    json.endArray().beginArray ("properties");

    for (const auto& property : component.properties)
    {
        json.beginObject()
            .value ("number", static_cast<int64_t> (property.first))
            .value ("name", propertyName (property.first))
            .value ("value", static_cast<int64_t> (property.second))
            .hex ("hex", static_cast<uint32_t> (property.second))
            .endObject();
    }

    json.endArray().endObject();
}

void writeEffect (JsonWriter& json, const PluginDescription::Effect& effect)
{
    json.beginObject().value ("identifier", effect.identifier).beginArray ("names");

    for (const auto& name : effect.names)
        json.value (nullptr, name);

    json.endArray().beginArray ("categories");

    for (auto category : effect.categories)
        json.value (nullptr, static_cast<int64_t> (category));

    json.endArray().beginArray ("procPtrs");

    for (const auto& proc : effect.procPtrs)
        json.beginObject().value ("id", static_cast<int64_t> (proc.first)).pointer ("pointer", proc.second).endObject();

    json.endArray().beginArray ("components");

    for (const auto& component : effect.components)
        writeComponent (json, component);

    json.endArray();

    // What an instance shows: its parameters and the host's bypass.
    if (! effect.components.empty())
    {
        HostInstance instance (effect, effect.components.front(), 48000.0);

        if (instance.create() == AAX_SUCCESS)
        {
            writeParameters (json, instance);
            json.value ("masterBypass", instance.masterBypassID());
        }
    }

    json.endObject();
}

int scan (const char* path)
{
    AaxHost host;
    ACFRESULT result = 0;
    PluginDescription description;
    std::string error;

    if (! load (host, path, result, description, error))
        return fail (error);

    acfUInt64 version = 0;
    host.getSDKVersion (&version);
    char versionText[32];
    std::snprintf (versionText, sizeof (versionText), "0x%016llX", static_cast<unsigned long long> (version));

    JsonWriter json;
    json.beginObject()
        .value ("library", path)
        .value ("registerResult", static_cast<int64_t> (result))
        .value ("sdkVersion", versionText)
        .value ("manufacturer", description.manufacturer)
        .beginArray ("packageNames");

    for (const auto& name : description.packageNames)
        json.value (nullptr, name);

    json.endArray()
        .value ("packageVersion", static_cast<int64_t> (description.packageVersion))
        .hex ("packageVersionHex", description.packageVersion)
        .beginArray ("effects");

    for (const auto& effect : description.effects)
        writeEffect (json, effect);

    json.endArray().beginArray ("traces");

    for (const auto& trace : host.traces)
        json.value (nullptr, trace);

    json.endArray()
        .value ("shutdownResult", static_cast<int64_t> (host.shutdown()))
        .value ("canUnloadNow", static_cast<int64_t> (host.canUnloadNow()))
        .endObject();

    std::fputs (json.text().c_str(), stdout);
    return result == 0 ? 0 : 1;
}

// What `render` is asked to do.
struct RenderRequest
{
    std::string library, input, output;
    std::string level; // as given, for the plug-in to read; empty for its default
    bool bypass = false, force = false;
    int block = 512;
};

// Runs `input` through one instance as asked; an error message, or empty.
std::string processThroughInstance (const PluginDescription& description, const RenderRequest& request, AudioData& input, AudioData& output)
{
    const auto& effect = description.effects.front();
    const auto* component = findComponent (effect, input.numChannels());
    if (component == nullptr)
        return "no component takes " + std::to_string (input.numChannels()) + " channels";

    HostInstance instance (effect, *component, input.sampleRate);
    const auto created = instance.create();
    if (created != AAX_SUCCESS)
        return "the instance did not initialise: " + std::to_string (created);

    if (! request.level.empty())
    {
        double normalized = 0;
        if (instance.effect()->GetParameterValueFromString (TolvoParameters::levelId, &normalized, AAX_CString (request.level.c_str())) != AAX_SUCCESS)
            return "the plug-in does not read the level '" + request.level + "'";
        instance.setParameter (TolvoParameters::levelId, normalized);
    }
    if (request.bypass)
        instance.setParameter (instance.masterBypassID(), 1.0);

    // The delay stays in the output, so the input runs on by the latency
    // in silence for its last samples to come out; bypassed, nothing is delayed.
    const int latency = instance.latencyReports.empty() ? 0 : instance.latencyReports.back();
    const auto frames = input.numFrames();
    if (! request.bypass)
        for (auto& channel : input.channels)
            channel.resize (frames + static_cast<size_t> (std::max (0, latency)), 0.0f);

    output = instance.processInBlocks (input, static_cast<size_t> (request.block));

    std::fprintf (stderr, "tolvo-aax-host: %zu frames at %g Hz, %d channel(s), latency %d samples%s\n",
                  frames, input.sampleRate, input.numChannels(), latency,
                  request.bypass ? ", Master Bypass on" : "");
    return {};
}

// Reads the whole input through the renderer's file layer; an error message, or empty.
std::string readInput (const std::string& path, AudioData& audio)
{
    try
    {
        AudioFileReader reader (juce::File (juce::String::fromUTF8 (path.c_str())), juce::String::fromUTF8 (path.c_str()));
        if (reader.getAvailableFrames() < reader.getDeclaredFrames() || reader.getMissingBytes() > 0)
            return path + " is cut short; not rendered";

        audio.sampleRate = reader.getSampleRate();
        audio.channels.assign ((size_t) reader.getNumChannels(), {});
        juce::AudioBuffer<float> block (reader.getNumChannels(), 65536);
        for (int got; (got = reader.read (block, block.getNumSamples())) > 0;)
            for (int ch = 0; ch < block.getNumChannels(); ++ch)
                audio.channels[(size_t) ch].insert (audio.channels[(size_t) ch].end(), block.getReadPointer (ch), block.getReadPointer (ch) + got);
        if (reader.getReadError().isNotEmpty() || (juce::int64) audio.numFrames() < reader.getDeclaredFrames())
            return path + " is cut short; not rendered";
        return {};
    }
    catch (const RenderError& e)
    {
        return e.message.toStdString();
    }
}

// Writes 32-bit float through the renderer's file layer, into a temporary
// file that takes the output's place when complete; an error message, or empty.
std::string writeOutput (const RenderRequest& request, const AudioData& audio)
{
    try
    {
        const auto name = juce::String::fromUTF8 (request.output.c_str());
        AudioFileWriter writer (juce::File::getCurrentWorkingDirectory().getChildFile (name), name, audio.numChannels(), audio.sampleRate,
                                OutputBits::float32, (juce::int64) audio.numFrames());
        juce::AudioBuffer<float> block (audio.numChannels(), 65536);
        for (size_t start = 0; start < audio.numFrames(); start += (size_t) block.getNumSamples())
        {
            const int n = (int) std::min (audio.numFrames() - start, (size_t) block.getNumSamples());
            for (int ch = 0; ch < audio.numChannels(); ++ch)
                block.copyFrom (ch, 0, audio.channels[(size_t) ch].data() + start, n);
            writer.write (block, 0, n);
        }
        writer.commit (request.force);
        return {};
    }
    catch (const RenderError& e)
    {
        return e.message.toStdString();
    }
    catch (const FileError& e)
    {
        return e.message;
    }
}

int render (const RenderRequest& request)
{
    try
    {
        OutputTarget::check (request.output, request.output, { request.input }, request.force);
    }
    catch (const FileError& e)
    {
        return fail (e.message);
    }

    // A device or a pipe would be read without end.
    std::error_code status;
    if (! std::filesystem::is_regular_file (std::filesystem::u8path (request.input), status))
        return fail ("cannot read " + request.input + ": not a regular file");

    AudioData input, output;
    if (const auto error = readInput (request.input, input); ! error.empty())
        return fail (error);

    AaxHost host;
    PluginDescription description;
    std::string error;
    if (! open (host, request.library.c_str(), description, error))
        return fail (error);
    error = processThroughInstance (description, request, input, output);
    if (! error.empty())
        return fail (error);
    host.shutdown();

    if (const auto written = writeOutput (request, output); ! written.empty())
        return fail (written);
    return 0;
}

std::string fourChar (AAX_CTypeID id)
{
    std::string s;
    for (int i = 3; i >= 0; --i)
        s += static_cast<char> ((id >> (8 * i)) & 0xFF);
    return s;
}

// The chunk's bytes, two hex digits each, so another host's output can be compared.
std::string hexBytes (const std::vector<char>& data)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;

    for (auto c : data)
    {
        const auto byte = static_cast<unsigned char> (c);
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }

    return text;
}

// The frame that chunks and gui share: the library opened, one instance of
// its first component at 48 kHz examined by body, then shut down, and the
// findings printed as one JSON object. afterInstance runs once the instance
// has gone, told how many threads ran before it was made; it returns true
// when it has ended with the library itself (shut down, unloaded).
int examineFirstInstance (const char* path,
                          const std::function<void (HostInstance&, JsonWriter&)>& body,
                          const std::function<bool (AaxHost&, JsonWriter&, int threadsBefore)>& afterInstance = nullptr)
{
    AaxHost host;
    PluginDescription description;
    std::string error;

    if (! open (host, path, description, error))
        return fail (error);

    const auto& effect = description.effects.front();
    JsonWriter json;
    json.beginObject();
    const auto threadsBefore = AaxHost::countThreads();

    {
        HostInstance instance (effect, effect.components.front(), 48000.0);

        if (instance.create() != AAX_SUCCESS)
            return fail ("the instance did not initialise");

        body (instance, json);
    }

    if (afterInstance == nullptr || ! afterInstance (host, json, threadsBefore))
    {
        host.shutdown();
        json.value ("canUnloadNow", static_cast<int64_t> (host.canUnloadNow()));
    }

    json.endObject();
    std::fputs (json.text().c_str(), stdout);
    return 0;
}

int chunks (const char* path)
{
    return examineFirstInstance (path, [] (HostInstance& instance, JsonWriter& json)
                                 {
                                     int32_t count = 0;
                                     instance.effect()->GetNumberOfChunks (&count);
                                     json.value ("numberOfChunks", static_cast<int64_t> (count)).beginArray ("chunks");

                                     for (int32_t i = 0; i < count; ++i)
                                     {
                                         AAX_CTypeID id = 0;
                                         instance.effect()->GetChunkIDFromIndex (i, &id);
                                         std::vector<char> data;
                                         std::string name;
                                         const auto result = instance.saveChunk (id, data, &name);

                                         json.beginObject()
                                             .value ("index", static_cast<int64_t> (i))
                                             .value ("id", fourChar (id))
                                             .value ("name", name)
                                             .value ("result", static_cast<int64_t> (result))
                                             .value ("size", static_cast<int64_t> (data.size()))
                                             .value ("data", hexBytes (data))
                                             .value ("restoreResult", static_cast<int64_t> (instance.restoreChunk (id, data)))
                                             .endObject();
                                     }

                                     AAX_CTypeID unused = 0;
                                     uint32_t size = 0;
                                     json.endArray()
                                         .value ("wrongIndexResult", static_cast<int64_t> (instance.effect()->GetChunkIDFromIndex (count, &unused)))
                                         .value ("wrongIDResult", static_cast<int64_t> (instance.effect()->GetChunkSize (0x78787878, &size))); });
}

int gui (const char* path, const std::string& snapshot, bool unload)
{
#if ! defined(_WIN32)
    if (! snapshot.empty())
        return fail ("--snapshot needs a real window (Windows)");
#endif

    const auto showWindow = [&] (HostInstance& instance, JsonWriter& json)
    {
#if defined(_WIN32)
        // A real window for the view to attach to; it outlives the instance's GUI.
        HostWindow window (100, 100);
        instance.viewContainer().nativeView = window.nativeHandle();
#endif
        const auto opened = instance.openGui();
        AAX_Point size;
        const auto sized = instance.gui() != nullptr ? instance.gui()->GetViewSize (&size) : AAX_ERROR_NULL_OBJECT;

        json.value ("openResult", static_cast<int64_t> (opened))
            .value ("viewSizeResult", static_cast<int64_t> (sized))
            .value ("width", static_cast<double> (size.horz))
            .value ("height", static_cast<double> (size.vert));

#if defined(_WIN32)
        window.resize (static_cast<int> (size.horz), static_cast<int> (size.vert));
        // Long enough to paint; a host that unloads at once closes it sooner.
        window.pump (unload ? 200 : 1500);
        json.value ("windowWidth", static_cast<int64_t> (window.clientWidth()))
            .value ("windowHeight", static_cast<int64_t> (window.clientHeight()))
            .value ("dpi", static_cast<int64_t> (window.dpi()));

        if (! snapshot.empty())
            json.value ("snapshotSaved", window.saveBitmap (snapshot));
#endif
        instance.closeGui();
    };

    const auto afterWindow = [&] (AaxHost& host, JsonWriter& json, int threadsBefore)
    {
        // A host may unload the library as soon as the window is closed, while
        // the window's update check may still be waiting for the server.
        if (unload)
        {
            json.value ("shutdownResult", static_cast<int64_t> (host.shutdown()))
                .value ("backgroundWorkAtUnload", AaxHost::countThreads() > threadsBefore)
                .value ("unloaded", host.unload())
                .value ("stillMapped", AaxHost::isMapped (path))
                .value ("rangeFenced", host.unloadedRangeFenced);
        }

        json.value ("backgroundWorkDone", AaxHost::waitForThreads (threadsBefore, 10000));
        return unload;
    };

    return examineFirstInstance (path, showWindow, afterWindow);
}
} // namespace

int main (int argc, char** argv) // NOLINT(bugprone-exception-escape): CLI11 throws there only for a wrong declaration, never for a command line
{
    CLI::App app ("", "tolvo-aax-host");
    CommandLine::setUsage (app, usage);
    app.footer (footer);
    app.require_subcommand (1);
    std::string library;
    const auto addCommand = [&] (const char* name, const char* description)
    {
        auto* command = app.add_subcommand (name, description);
        command->add_option ("LIB", library, "the plug-in library")->required();
        return command;
    };

    const auto* scanCommand = addCommand ("scan", "print the library's description as JSON");
    auto* renderCommand = addCommand ("render", "run IN.wav through the plug-in into OUT.wav (32-bit float)");
    RenderRequest request;
    renderCommand->add_option ("IN.wav", request.input)->required();
    renderCommand->add_option ("OUT.wav", request.output)->required();
    // Refused, not clamped: a level the plug-in would change is not the one asked for.
    renderCommand->add_option ("--level", request.level, "ceiling in dB, -6.0 to 0.0, as the plug-in reads it")
        ->type_name ("DB")
        ->check (CommandLine::strictNumber (TolvoParameters::levelMinimumDb, TolvoParameters::levelMaximumDb));
    renderCommand->add_flag ("--bypass", request.bypass, "switch the host's Master Bypass on");
    renderCommand->add_option ("--block", request.block, "frames per block, 1 to 65536 (default 512)")
        ->type_name ("N")
        ->check (CommandLine::wholeNumber (maximumBlockSize));
    renderCommand->add_flag ("--force", request.force, "replace OUT.wav if it is an existing regular file");
    const auto* chunksCommand = addCommand ("chunks", "save and restore each state chunk, printed as JSON");
    auto* guiCommand = addCommand ("gui", "open the editor and report its size as JSON");
    std::string snapshot;
    bool unload = false;
    guiCommand->add_option ("--snapshot", snapshot, "save the window as a bitmap (Windows)")->type_name ("FILE.bmp");
    guiCommand->add_flag ("--unload", unload, "unload the library as soon as the window is closed");

    if (const auto status = CommandLine::parse (app, argc, argv))
        return *status;
    if (*scanCommand)
        return scan (library.c_str());
    if (*renderCommand)
    {
        request.library = library;
        return render (request);
    }
    if (*chunksCommand)
        return chunks (library.c_str());
    return gui (library.c_str(), snapshot, unload);
}
