// One plug-in instance as the stand-in host runs it: its effect-parameters object,
// the host's controller and automation for it, its algorithm context and, when
// opened, its GUI object.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "AAX_IACFHostInterfaces.h"
#include "AAX_IEffectGUI.h"
#include "AAX_IEffectParameters.h"
#include "HostViewContainer.h"
#include "PluginDescription.h"
#include "AudioData.h"

class HostInstance : public AAX_IACFController,
                     public AAX_IACFAutomationDelegate
{
public:
    struct Parameter
    {
        std::string id, name, shortName;
        int32_t steps = 0;
        AAX_EParameterType type = AAX_eParameterType_Continuous;
        double defaultValue = 0;
        bool automatable = false;
        int32_t orientation = 0;
    };

    // The instance runs the given component at the given sample rate and stem formats
    // (the component's own when zero).
    HostInstance (const PluginDescription::Effect& effect, const PluginDescription::Component& component,
                  double sampleRate, int32_t inputStemFormat = 0, int32_t outputStemFormat = 0);
    virtual ~HostInstance();

    HostInstance (const HostInstance&) = delete;
    HostInstance& operator= (const HostInstance&) = delete;

    // Creates the effect-parameters object through the registered factory and
    // initialises it; then builds the algorithm context.
    AAX_Result create();
    AAX_IEffectParameters* effect() const { return parameters; }

    std::vector<Parameter> listParameters() const;
    std::string masterBypassID() const;
    double value (const std::string& parameterID) const;

    // A host control moves a parameter: the plug-in's set request comes back through
    // automation and is answered at once.
    AAX_Result setParameter (const std::string& parameterID, double normalizedValue);
    // Answers the plug-in's pending set requests and sends packets to the context.
    void pump();

    AAX_Result saveChunk (AAX_CTypeID chunkID, std::vector<char>& data, std::string* chunkName = nullptr) const;
    AAX_Result restoreChunk (AAX_CTypeID chunkID, const std::vector<char>& data);

    // Runs the algorithm callback over one block.
    void process (const std::vector<const float*>& inputs, const std::vector<float*>& outputs, int32_t numSamples);

    // Runs a whole file through the instance in blocks of the given size.
    AudioData processInBlocks (const AudioData& input, size_t blockSize);
    int numInputChannels() const;
    int numOutputChannels() const;

    AAX_Result openGui();
    AAX_IEffectGUI* gui() const { return window; }
    HostViewContainer& viewContainer() { return container; }
    void closeGui();

    // Uninitialises and deletes the plug-in's objects (GUI first).
    void destroy();

    ACFRESULT QueryInterface (const acfIID& iid, void** out) override;
    acfUInt32 AddRef() override;
    acfUInt32 Release() override;

    ACFRESULT GetEffectID (char* buffer, int32_t bufferSize) override;
    ACFRESULT GetSampleRate (AAX_CSampleRate* rate) override;
    ACFRESULT GetInputStemFormat (int32_t* stemFormat) override;
    ACFRESULT GetOutputStemFormat (int32_t* stemFormat) override;
    ACFRESULT GetSignalLatency (int32_t* samples) override;
    ACFRESULT SetSignalLatency (int32_t samples) override;
    ACFRESULT GetIsAudioSuite (AAX_CBoolean* isAudioSuite) override;
    ACFRESULT PostPacket (AAX_CFieldIndex field, const void* data, uint32_t size) override;
    AAX_IEffectParameters* GetEffectParameters() override;

    ACFRESULT RegisterParameter (AAX_CParamID parameterID) override;
    ACFRESULT UnregisterParameter (AAX_CParamID parameterID) override;
    ACFRESULT PostSetValueRequest (AAX_CParamID parameterID, double normalizedValue) override;
    ACFRESULT PostCurrentValue (AAX_CParamID parameterID, double normalizedValue) override;
    ACFRESULT PostTouchRequest (AAX_CParamID parameterID) override;
    ACFRESULT PostReleaseRequest (AAX_CParamID parameterID) override;

    // What the plug-in told the host, in order: "latency 1440", "touch dbMain",
    // "set dbMain 0.5", "current dbMain 0.5", "release dbMain", "register dbMain".
    std::vector<std::string> events;

    // How values appear in events: nine significant digits.
    static std::string formatValue (double v);
    std::vector<int32_t> latencyReports;
    int references = 0;

private:
    const PluginDescription::Effect& description;
    const PluginDescription::Component& component;
    double rate;
    int32_t inputStem, outputStem;
    int32_t latency = 0;

    AAX_IEffectParameters* parameters = nullptr;
    AAX_IEffectGUI* window = nullptr;
    HostViewContainer container;

    std::vector<std::pair<std::string, double>> pendingRequests;
    std::map<AAX_CFieldIndex, std::vector<unsigned char>> packets;

    // Algorithm context: one pointer per field, and the memory the fields point to.
    std::vector<void*> context;
    std::vector<std::vector<uint64_t>> fieldMemory;
    std::map<AAX_CFieldIndex, std::vector<uint64_t>*> dataPorts;
    std::vector<const float*> inputPointers;
    std::vector<float*> outputPointers;
    int32_t blockLength = 0;
    AAX_CFieldIndex inputField = -1, outputField = -1, lengthField = -1;
};
