#include "HostInstance.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "AAX_CString.h"
#include "AAX_Errors.h"

std::string HostInstance::formatValue (double v)
{
    char text[64];
    std::snprintf (text, sizeof (text), "%.9g", v);
    return text;
}

HostInstance::HostInstance (const PluginDescription::Effect& effect, const PluginDescription::Component& comp,
                            double sampleRate, int32_t inputStemFormat, int32_t outputStemFormat) :
    description (effect),
    component (comp), rate (sampleRate),
    inputStem (inputStemFormat != 0 ? inputStemFormat : comp.inputStemFormat),
    outputStem (outputStemFormat != 0 ? outputStemFormat : comp.outputStemFormat)
{
}

HostInstance::~HostInstance()
{
    destroy();
}

AAX_Result HostInstance::create()
{
    using Factory = AAX_IEffectParameters* (*) ();
    auto factory = reinterpret_cast<Factory> (const_cast<void*> (description.procPtr (0)));

    if (factory == nullptr || parameters != nullptr)
        return AAX_ERROR_NULL_OBJECT;

    parameters = factory();

    if (parameters == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    const auto result = parameters->Initialize (static_cast<AAX_IACFController*> (this));

    if (result != AAX_SUCCESS)
        return result;

    int32_t lastField = -1;

    for (const auto& field : component.fields)
        lastField = field.index > lastField ? field.index : lastField;

    context.assign (static_cast<size_t> (lastField) + 1, nullptr);
    fieldMemory.reserve (component.fields.size());

    for (const auto& field : component.fields)
    {
        auto& slot = context[static_cast<size_t> (field.index)];

        if (field.kind == "audio input")
        {
            inputField = field.index;
        }
        else if (field.kind == "audio output")
        {
            outputField = field.index;
        }
        else if (field.kind == "audio buffer length")
        {
            lengthField = field.index;
            slot = &blockLength;
        }
        else if (field.size >= 0)
        {
            // Zeroed, 8-byte aligned memory of the declared size.
            fieldMemory.emplace_back ((static_cast<size_t> (field.size) + 7) / 8 + 1, 0);
            slot = fieldMemory.back().data();

            if (field.kind == "data-in port")
                dataPorts[field.index] = &fieldMemory.back();
            else if (field.kind == "private data")
                parameters->ResetFieldData (field.index, slot, static_cast<uint32_t> (field.size));
        }
    }

    pump();
    return AAX_SUCCESS;
}

std::vector<HostInstance::Parameter> HostInstance::listParameters() const
{
    std::vector<Parameter> list;
    int32_t count = 0;
    parameters->GetNumberOfParameters (&count);

    for (int32_t i = 0; i < count; ++i)
    {
        Parameter p;
        AAX_CString text;
        parameters->GetParameterIDFromIndex (i, &text);
        p.id = text.Get();
        const auto* id = p.id.c_str();

        parameters->GetParameterName (id, &text);
        p.name = text.Get();
        parameters->GetParameterNameOfLength (id, &text, 4);
        p.shortName = text.Get();
        parameters->GetParameterNumberOfSteps (id, &p.steps);
        parameters->GetParameterType (id, &p.type);
        parameters->GetParameterDefaultNormalizedValue (id, &p.defaultValue);
        AAX_CBoolean automatable = 0;
        parameters->GetParameterIsAutomatable (id, &automatable);
        p.automatable = automatable != 0;
        parameters->GetParameterOrientation (id, &p.orientation);
        list.push_back (p);
    }

    return list;
}

std::string HostInstance::masterBypassID() const
{
    AAX_CString text;
    parameters->GetMasterBypassParameter (&text);
    return text.Get();
}

double HostInstance::value (const std::string& parameterID) const
{
    double v = -1;
    parameters->GetParameterNormalizedValue (parameterID.c_str(), &v);
    return v;
}

AAX_Result HostInstance::setParameter (const std::string& parameterID, double normalizedValue)
{
    const auto result = parameters->SetParameterNormalizedValue (parameterID.c_str(), normalizedValue);
    pump();
    return result;
}

void HostInstance::pump()
{
    while (! pendingRequests.empty())
    {
        auto requests = std::move (pendingRequests);
        pendingRequests.clear();

        for (const auto& request : requests)
            parameters->UpdateParameterNormalizedValue (request.first.c_str(), request.second, AAX_eUpdateSource_Parameter);
    }

    parameters->GenerateCoefficients();

    for (const auto& packet : packets)
    {
        auto found = dataPorts.find (packet.first);

        if (found != dataPorts.end())
            std::memcpy (found->second->data(), packet.second.data(),
                         std::min (packet.second.size(), found->second->size() * sizeof (uint64_t)));
    }

    packets.clear();
}

AAX_Result HostInstance::saveChunk (AAX_CTypeID chunkID, std::vector<char>& data, std::string* chunkName) const
{
    uint32_t size = 0;
    auto result = parameters->GetChunkSize (chunkID, &size);

    if (result != AAX_SUCCESS)
        return result;

    std::vector<uint64_t> memory ((sizeof (AAX_SPlugInChunkHeader) + size) / 8 + 1, 0);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*> (memory.data());
    result = parameters->GetChunk (chunkID, chunk);

    if (result != AAX_SUCCESS)
        return result;

    if (chunk->fSize < 0 || static_cast<uint32_t> (chunk->fSize) > size)
        return AAX_ERROR_INCORRECT_CHUNK_SIZE;

    data.assign (chunk->fData, chunk->fData + chunk->fSize);

    if (chunkName != nullptr)
        chunkName->assign (reinterpret_cast<const char*> (chunk->fName), strnlen (reinterpret_cast<const char*> (chunk->fName), sizeof (chunk->fName)));

    return AAX_SUCCESS;
}

AAX_Result HostInstance::restoreChunk (AAX_CTypeID chunkID, const std::vector<char>& data)
{
    std::vector<uint64_t> memory ((sizeof (AAX_SPlugInChunkHeader) + data.size()) / 8 + 1, 0);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*> (memory.data());
    chunk->fSize = static_cast<int32_t> (data.size());
    chunk->fChunkID = chunkID;

    if (! data.empty())
        std::memcpy (chunk->fData, data.data(), data.size());

    const auto result = parameters->SetChunk (chunkID, chunk);
    pump();
    return result;
}

int HostInstance::numInputChannels() const { return static_cast<int> (AAX_STEM_FORMAT_CHANNEL_COUNT (inputStem)); }
int HostInstance::numOutputChannels() const { return static_cast<int> (AAX_STEM_FORMAT_CHANNEL_COUNT (outputStem)); }

void HostInstance::process (const std::vector<const float*>& inputs, const std::vector<float*>& outputs, int32_t numSamples)
{
    inputPointers = inputs;
    outputPointers = outputs;
    blockLength = numSamples;

    if (inputField >= 0)
        context[static_cast<size_t> (inputField)] = inputPointers.data();
    if (outputField >= 0)
        context[static_cast<size_t> (outputField)] = outputPointers.data();

    using Process = void (*) (void* const[], const void*);
    auto proc = reinterpret_cast<Process> (const_cast<void*> (component.processProc));
    void* const instances[1] = { context.data() };
    proc (instances, instances + 1);
}

AAX_Result HostInstance::openGui()
{
    using Factory = AAX_IEffectGUI* (*) ();
    auto factory = reinterpret_cast<Factory> (const_cast<void*> (description.procPtr (1)));

    if (factory == nullptr || window != nullptr)
        return AAX_ERROR_NULL_OBJECT;

    window = factory();

    if (window == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    const auto result = window->Initialize (static_cast<AAX_IACFController*> (this));

    if (result != AAX_SUCCESS)
        return result;

    return window->SetViewContainer (&container);
}

void HostInstance::closeGui()
{
    if (window == nullptr)
        return;

    window->SetViewContainer (nullptr);
    window->Uninitialize();
    delete window;
    window = nullptr;
}

void HostInstance::destroy()
{
    closeGui();

    if (parameters != nullptr)
    {
        parameters->Uninitialize();
        delete parameters;
        parameters = nullptr;
    }
}

//==============================================================================
ACFRESULT HostInstance::QueryInterface (const acfIID& iid, void** out)
{
    if (out == nullptr)
        return ACF_E_NOINTERFACE;

    *out = nullptr;

    if (iid == IID_IAAXControllerV1)
        *out = static_cast<AAX_IACFController*> (this);
    else if (iid == IID_IAAXAutomationDelegateV1)
        *out = static_cast<AAX_IACFAutomationDelegate*> (this);
    else
        return ACF_E_NOINTERFACE;

    AddRef();
    return ACF_OK;
}

acfUInt32 HostInstance::AddRef() { return static_cast<acfUInt32> (++references); }
acfUInt32 HostInstance::Release() { return static_cast<acfUInt32> (--references); }

ACFRESULT HostInstance::GetEffectID (char* buffer, int32_t bufferSize)
{
    if (buffer == nullptr || bufferSize <= 0)
        return AAX_ERROR_NULL_OBJECT;

    std::snprintf (buffer, static_cast<size_t> (bufferSize), "%s", description.identifier.c_str());
    return ACF_OK;
}

ACFRESULT HostInstance::GetSampleRate (AAX_CSampleRate* sampleRate)
{
    *sampleRate = static_cast<AAX_CSampleRate> (rate);
    return ACF_OK;
}

ACFRESULT HostInstance::GetInputStemFormat (int32_t* stemFormat)
{
    *stemFormat = inputStem;
    return ACF_OK;
}
ACFRESULT HostInstance::GetOutputStemFormat (int32_t* stemFormat)
{
    *stemFormat = outputStem;
    return ACF_OK;
}
ACFRESULT HostInstance::GetSignalLatency (int32_t* samples)
{
    *samples = latency;
    return ACF_OK;
}

ACFRESULT HostInstance::SetSignalLatency (int32_t samples)
{
    latency = samples;
    latencyReports.push_back (samples);
    events.push_back ("latency " + std::to_string (samples));
    return ACF_OK;
}

ACFRESULT HostInstance::GetIsAudioSuite (AAX_CBoolean* isAudioSuite)
{
    *isAudioSuite = 0;
    return ACF_OK;
}

ACFRESULT HostInstance::PostPacket (AAX_CFieldIndex field, const void* data, uint32_t size)
{
    const auto* bytes = static_cast<const unsigned char*> (data);
    packets[field].assign (bytes, bytes + size);
    return ACF_OK;
}

AAX_IEffectParameters* HostInstance::GetEffectParameters() { return parameters; }

ACFRESULT HostInstance::RegisterParameter (AAX_CParamID parameterID)
{
    events.push_back (std::string ("register ") + parameterID);
    return ACF_OK;
}

ACFRESULT HostInstance::UnregisterParameter (AAX_CParamID parameterID)
{
    events.push_back (std::string ("unregister ") + parameterID);
    return ACF_OK;
}

ACFRESULT HostInstance::PostSetValueRequest (AAX_CParamID parameterID, double normalizedValue)
{
    events.push_back (std::string ("set ") + parameterID + " " + formatValue (normalizedValue));
    pendingRequests.emplace_back (parameterID, normalizedValue);
    return ACF_OK;
}

ACFRESULT HostInstance::PostCurrentValue (AAX_CParamID parameterID, double normalizedValue)
{
    events.push_back (std::string ("current ") + parameterID + " " + formatValue (normalizedValue));
    return ACF_OK;
}

ACFRESULT HostInstance::PostTouchRequest (AAX_CParamID parameterID)
{
    events.push_back (std::string ("touch ") + parameterID);
    return ACF_OK;
}

ACFRESULT HostInstance::PostReleaseRequest (AAX_CParamID parameterID)
{
    events.push_back (std::string ("release ") + parameterID);
    return ACF_OK;
}

AudioData HostInstance::processInBlocks (const AudioData& input, size_t blockSize)
{
    AudioData output;
    output.sampleRate = input.sampleRate;
    output.channels.assign (input.channels.size(), std::vector<float> (input.numFrames()));

    for (size_t start = 0; start < input.numFrames(); start += blockSize)
    {
        const auto n = std::min (blockSize, input.numFrames() - start);
        std::vector<const float*> ins;
        std::vector<float*> outs;

        for (size_t c = 0; c < input.channels.size(); ++c)
        {
            ins.push_back (input.channels[c].data() + start);
            outs.push_back (output.channels[c].data() + start);
        }

        process (ins, outs, static_cast<int32_t> (n));
    }

    return output;
}
