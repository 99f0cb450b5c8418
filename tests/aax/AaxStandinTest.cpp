// The stand-in AAX layer's own parts, without the plug-in: the controls-chunk
// parser, parameters with their delegates, the parameter manager, the packet
// dispatcher and the effect-parameters base.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "AAX_CBinaryDisplayDelegate.h"
#include "AAX_CBinaryTaperDelegate.h"
#include "AAX_CEffectParameters.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "AAX_IACFHostInterfaces.h"
#include "AAX_LiveObjects.h"

namespace
{
struct RecordingAutomation : AAX_IAutomationDelegate
{
    AAX_Result RegisterParameter (AAX_CParamID id) override
    {
        events.push_back (std::string ("register ") + id);
        return AAX_SUCCESS;
    }
    AAX_Result UnregisterParameter (AAX_CParamID id) override
    {
        events.push_back (std::string ("unregister ") + id);
        return AAX_SUCCESS;
    }
    AAX_Result PostSetValueRequest (AAX_CParamID id, double v) const override
    {
        events.push_back (std::string ("set ") + id + " " + std::to_string (v));
        return AAX_SUCCESS;
    }
    AAX_Result PostCurrentValue (AAX_CParamID id, double v) const override
    {
        events.push_back (std::string ("current ") + id + " " + std::to_string (v));
        return AAX_SUCCESS;
    }
    AAX_Result PostTouchRequest (AAX_CParamID id) override
    {
        events.push_back (std::string ("touch ") + id);
        return AAX_SUCCESS;
    }
    AAX_Result PostReleaseRequest (AAX_CParamID id) override
    {
        events.push_back (std::string ("release ") + id);
        return AAX_SUCCESS;
    }

    mutable std::vector<std::string> events;
};

// A host's controller that answers set requests at once and keeps posted packets.
class ImmediateHost : public AAX_IACFController, public AAX_IACFAutomationDelegate
{
public:
    virtual ~ImmediateHost() = default;

    ACFRESULT QueryInterface (const acfIID& iid, void** out) override
    {
        if (iid == IID_IAAXControllerV1)
            *out = static_cast<AAX_IACFController*> (this);
        else if (iid == IID_IAAXAutomationDelegateV1)
            *out = static_cast<AAX_IACFAutomationDelegate*> (this);
        else
            return ACF_E_NOINTERFACE;

        ++references;
        return ACF_OK;
    }

    acfUInt32 AddRef() override { return static_cast<acfUInt32> (++references); }
    acfUInt32 Release() override { return static_cast<acfUInt32> (--references); }

    ACFRESULT GetEffectID (char* b, int32_t n) override
    {
        std::snprintf (b, static_cast<size_t> (n), "test");
        return ACF_OK;
    }
    ACFRESULT GetSampleRate (AAX_CSampleRate* r) override
    {
        *r = 48000;
        return ACF_OK;
    }
    ACFRESULT GetInputStemFormat (int32_t* f) override
    {
        *f = AAX_eStemFormat_Mono;
        return ACF_OK;
    }
    ACFRESULT GetOutputStemFormat (int32_t* f) override
    {
        *f = AAX_eStemFormat_Mono;
        return ACF_OK;
    }
    ACFRESULT GetSignalLatency (int32_t* s) override
    {
        *s = 0;
        return ACF_OK;
    }
    ACFRESULT SetSignalLatency (int32_t) override { return ACF_OK; }
    ACFRESULT GetIsAudioSuite (AAX_CBoolean* a) override
    {
        *a = 0;
        return ACF_OK;
    }
    AAX_IEffectParameters* GetEffectParameters() override { return effect; }

    ACFRESULT PostPacket (AAX_CFieldIndex field, const void* data, uint32_t size) override
    {
        packets.emplace_back (field, std::vector<unsigned char> (static_cast<const unsigned char*> (data),
                                                                 static_cast<const unsigned char*> (data) + size));
        return ACF_OK;
    }

    ACFRESULT RegisterParameter (AAX_CParamID) override { return ACF_OK; }
    ACFRESULT UnregisterParameter (AAX_CParamID) override { return ACF_OK; }
    ACFRESULT PostCurrentValue (AAX_CParamID, double) override { return ACF_OK; }
    ACFRESULT PostTouchRequest (AAX_CParamID) override { return ACF_OK; }
    ACFRESULT PostReleaseRequest (AAX_CParamID) override { return ACF_OK; }

    ACFRESULT PostSetValueRequest (AAX_CParamID id, double value) override
    {
        return effect->UpdateParameterNormalizedValue (id, value, AAX_eUpdateSource_Parameter);
    }

    AAX_IEffectParameters* effect = nullptr;
    std::vector<std::pair<AAX_CFieldIndex, std::vector<unsigned char>>> packets;
    int references = 0;
};

class TwoParameters : public AAX_CEffectParameters
{
protected:
    AAX_Result EffectInit() override
    {
        mParameterManager.AddParameter (new AAX_CParameter<float> ("gain", AAX_CString ("Gain"), 0.5f,
                                                                   AAX_CLinearTaperDelegate<float, 0>(),
                                                                   AAX_CNumberDisplayDelegate<float, 2>(), true));
        mParameterManager.AddParameter (new AAX_CParameter<bool> ("on", AAX_CString ("On"), true,
                                                                  AAX_CBinaryTaperDelegate<bool>(),
                                                                  AAX_CBinaryDisplayDelegate<bool> ("off", "on"), true));
        mPacketDispatcher.RegisterPacket ("gain", 3);
        return AAX_SUCCESS;
    }
};

AAX_CParameter<float> makeLevel()
{
    return AAX_CParameter<float> ("level", AAX_CString ("Output Level"), -3.0f,
                                  AAX_CLinearTaperDelegate<float, 10> (-12.0f, 0.0f),
                                  AAX_CNumberDisplayDelegate<float, 1>(), true);
}

std::vector<char> chunkBytes (const AAX_CChunkDataParser& parser)
{
    std::vector<uint64_t> memory ((sizeof (AAX_SPlugInChunkHeader) + parser.GetChunkDataSize()) / 8 + 1, 0);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*> (memory.data());
    parser.GetChunkData (chunk, 0x656C636B);
    return std::vector<char> (chunk->fData, chunk->fData + chunk->fSize);
}

bool load (AAX_CChunkDataParser& parser, const std::vector<char>& bytes)
{
    std::vector<uint64_t> memory ((sizeof (AAX_SPlugInChunkHeader) + bytes.size()) / 8 + 1, 0);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*> (memory.data());
    chunk->fSize = static_cast<int32_t> (bytes.size());
    std::copy (bytes.begin(), bytes.end(), chunk->fData);
    return parser.LoadChunk (chunk);
}
} // namespace

TEST (AaxStandin, ControlsChunkParserRoundTripsAndRefusesDamage)
{
    AAX_CChunkDataParser empty;
    EXPECT_EQ (empty.GetChunkDataSize(), 0u);

    AAX_CChunkDataParser parser;
    const char* ids[] = { "a", "abc", "abcd", "abcdefg", "MasterBypassID" };

    for (int i = 0; i < 5; ++i)
        parser.AddDouble (ids[i], 0.125 * i - 0.3);

    const auto bytes = chunkBytes (parser);
    EXPECT_EQ (bytes.size(), parser.GetChunkDataSize());
    EXPECT_EQ (bytes.size() % 4, 0u);

    AAX_CChunkDataParser back;
    ASSERT_TRUE (load (back, bytes));
    EXPECT_EQ (back.NumValues(), 5);

    for (int i = 0; i < 5; ++i)
    {
        double value = 0;
        ASSERT_TRUE (back.FindDouble (ids[i], &value)) << ids[i];
        EXPECT_EQ (value, 0.125 * i - 0.3);
    }

    EXPECT_FALSE (back.FindDouble ("ab", nullptr));

    // A cut between two values leaves the values before it; any other cut is refused.
    int taken = 0;

    for (size_t cut = 1; cut < bytes.size(); ++cut)
    {
        AAX_CChunkDataParser partial;
        std::vector<char> truncated (bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t> (cut));

        if (load (partial, truncated))
        {
            ++taken;
            EXPECT_EQ (partial.NumValues(), taken) << cut;
            EXPECT_TRUE (partial.FindDouble (ids[taken - 1], nullptr)) << cut;
        }
        else
        {
            EXPECT_EQ (partial.NumValues(), 0) << cut;
        }
    }

    EXPECT_EQ (taken, 4);

    // Not a number, and an empty identifier.
    AAX_CChunkDataParser odd;
    odd.AddDouble ("x", std::numeric_limits<double>::quiet_NaN());
    AAX_CChunkDataParser refused;
    EXPECT_FALSE (load (refused, chunkBytes (odd)));
    EXPECT_FALSE (load (refused, std::vector<char> (12, '\0')));
}

TEST (AaxStandin, ParameterKeepsItsValueWithinItsTaper)
{
    auto level = makeLevel();

    EXPECT_NEAR (level.GetNormalizedDefaultValue(), 0.75, 1e-6);
    EXPECT_NEAR (level.GetNormalizedValue(), 0.75, 1e-6);

    level.SetNormalizedValue (0.5123); // rounded to 0.1 dB
    float real = 0;
    ASSERT_TRUE (level.GetValueAsFloat (&real));
    EXPECT_FLOAT_EQ (real, -5.9f);

    level.SetNormalizedValue (7.0);
    EXPECT_DOUBLE_EQ (level.GetNormalizedValue(), 1.0);
    level.SetNormalizedValue (std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ (level.GetNormalizedValue(), 0.0);

    // Typed access only in the parameter's own type.
    EXPECT_FALSE (level.SetValueWithBool (true));
    EXPECT_FALSE (level.SetValueWithDouble (1.0));
    EXPECT_TRUE (level.SetValueWithFloat (-6.0f));
    EXPECT_NEAR (level.GetNormalizedValue(), 0.5, 1e-6);

    AAX_CString text;
    ASSERT_TRUE (level.GetValueString (16, &text));
    EXPECT_STREQ (text.Get(), "-6.0");
    double normalized = 0;
    ASSERT_TRUE (level.GetNormalizedValueFromString (AAX_CString ("-3"), &normalized));
    EXPECT_NEAR (normalized, 0.75, 1e-6);
    EXPECT_FALSE (level.GetNormalizedValueFromString (AAX_CString ("loud"), &normalized));

    AAX_CParameter<bool> toggle ("on", AAX_CString ("On"), false, AAX_CBinaryTaperDelegate<bool>(),
                                 AAX_CBinaryDisplayDelegate<bool> ("off", "on"));
    EXPECT_EQ (toggle.GetNumberOfSteps(), 2u);
    EXPECT_EQ (toggle.GetType(), AAX_eParameterType_Discrete);
    toggle.SetNormalizedValue (0.6);
    ASSERT_TRUE (toggle.GetValueString (8, &text));
    EXPECT_STREQ (text.Get(), "on");
}

TEST (AaxStandin, ParameterShortensItsName)
{
    auto level = makeLevel();
    level.AddShortenedName ("Out Lvl");
    level.AddShortenedName ("OLv");

    EXPECT_STREQ (level.ShortenedName (31).Get(), "Output Level");
    EXPECT_STREQ (level.ShortenedName (8).Get(), "Out Lvl");
    EXPECT_STREQ (level.ShortenedName (4).Get(), "OLv");
    EXPECT_STREQ (level.ShortenedName (2).Get(), "Ou");
    EXPECT_STREQ (level.ShortenedName (0).Get(), "");
}

TEST (AaxStandin, ParameterGoesThroughTheHostsAutomation)
{
    RecordingAutomation automation;

    {
        auto level = makeLevel();
        level.SetAutomationDelegate (&automation);
        level.Touch();
        level.SetNormalizedValue (0.25);
        EXPECT_NEAR (level.GetNormalizedValue(), 0.75, 1e-6); // waits for the host's answer
        level.UpdateNormalizedValue (0.25);
        level.Release();
    }

    EXPECT_EQ (automation.events, (std::vector<std::string> { "register level", "touch level", "set level 0.250000",
                                                              "current level 0.250000", "release level", "unregister level" }));
}

TEST (AaxStandin, ParameterManagerOwnsAndFindsParameters)
{
    RecordingAutomation automation;
    AAX_CParameterManager manager;
    manager.Initialize (&automation);

    auto* first = new AAX_CParameter<float> ("a", AAX_CString ("A"), 0.0f, AAX_CLinearTaperDelegate<float>(), AAX_CNumberDisplayDelegate<float>());
    manager.AddParameter (first);
    manager.AddParameter (new AAX_CParameter<float> ("b", AAX_CString ("B"), 1.0f, AAX_CLinearTaperDelegate<float>(), AAX_CNumberDisplayDelegate<float>()));
    EXPECT_EQ (manager.NumParameters(), 2);
    EXPECT_EQ (manager.GetParameterByID ("a"), first);
    EXPECT_EQ (manager.GetParameterIndex ("b"), 1);
    EXPECT_EQ (manager.GetParameterIndex ("c"), -1);
    EXPECT_EQ (manager.GetParameterByID (nullptr), nullptr);
    EXPECT_EQ (manager.GetParameter (2), nullptr);

    // A second parameter with the same ID replaces the first.
    manager.AddParameter (new AAX_CParameter<float> ("a", AAX_CString ("A2"), 0.5f, AAX_CLinearTaperDelegate<float>(), AAX_CNumberDisplayDelegate<float>()));
    EXPECT_EQ (manager.NumParameters(), 2);
    EXPECT_STREQ (manager.GetParameterByID ("a")->Name().Get(), "A2");

    manager.RemoveAllParameters();
    EXPECT_EQ (manager.NumParameters(), 0);
    EXPECT_EQ (std::count (automation.events.begin(), automation.events.end(), "register a"), 2);
    EXPECT_EQ (std::count (automation.events.begin(), automation.events.end(), "unregister a"), 2);
}

TEST (AaxStandin, EffectParametersBaseKeepsControlsAndPackets)
{
    const auto liveBefore = AAX::LiveObjects();
    ImmediateHost host;

    {
        TwoParameters uninitialised;
        EXPECT_EQ (AAX::LiveObjects(), liveBefore + 1);
        EXPECT_EQ (uninitialised.Initialize (nullptr), AAX_ERROR_NULL_OBJECT);

        // No parameters: the controls chunk is empty and cannot be fetched.
        uint32_t size = 99;
        EXPECT_EQ (uninitialised.GetChunkSize (cControlsChunkID, &size), AAX_SUCCESS);
        EXPECT_EQ (size, 0u);
        std::vector<uint64_t> memory (16, 0);
        EXPECT_EQ (uninitialised.GetChunk (cControlsChunkID, reinterpret_cast<AAX_SPlugInChunk*> (memory.data())),
                   AAX_ERROR_INCORRECT_CHUNK_SIZE);
    }

    TwoParameters effect;
    host.effect = &effect;
    ASSERT_EQ (effect.Initialize (static_cast<AAX_IACFController*> (&host)), AAX_SUCCESS);

    int32_t count = 0;
    effect.GetNumberOfParameters (&count);
    EXPECT_EQ (count, 2);

    // The registered parameter goes out as a float packet once, then only after a change.
    ASSERT_EQ (effect.GenerateCoefficients(), AAX_SUCCESS);
    ASSERT_EQ (host.packets.size(), 1u);
    EXPECT_EQ (host.packets[0].first, 3);
    float sent = 0;
    std::memcpy (&sent, host.packets[0].second.data(), sizeof (sent));
    EXPECT_EQ (sent, 0.5f);
    effect.GenerateCoefficients();
    EXPECT_EQ (host.packets.size(), 1u);
    ASSERT_EQ (effect.SetParameterNormalizedValue ("gain", 0.25), AAX_SUCCESS);
    effect.GenerateCoefficients();
    ASSERT_EQ (host.packets.size(), 2u);

    // Controls chunk: save, change, restore.
    uint32_t size = 0;
    ASSERT_EQ (effect.GetChunkSize (cControlsChunkID, &size), AAX_SUCCESS);
    std::vector<uint64_t> memory ((sizeof (AAX_SPlugInChunkHeader) + size) / 8 + 1, 0);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*> (memory.data());
    ASSERT_EQ (effect.GetChunk (cControlsChunkID, chunk), AAX_SUCCESS);
    EXPECT_EQ (static_cast<uint32_t> (chunk->fSize), size);
    EXPECT_STREQ (reinterpret_cast<const char*> (chunk->fName), "Complete Controls State");

    effect.SetParameterNormalizedValue ("gain", 0.9);
    effect.SetParameterNormalizedValue ("on", 0.0);
    ASSERT_EQ (effect.SetChunk (cControlsChunkID, chunk), AAX_SUCCESS);
    double value = 0;
    effect.GetParameterNormalizedValue ("gain", &value);
    EXPECT_NEAR (value, 0.25, 1e-6);
    effect.GetParameterNormalizedValue ("on", &value);
    EXPECT_EQ (value, 1.0);

    AAX_CTypeID id = 0;
    EXPECT_EQ (effect.GetChunkIDFromIndex (1, &id), AAX_ERROR_INVALID_CHUNK_INDEX);
    EXPECT_EQ (effect.GetChunkSize (0x6A756365, &size), AAX_ERROR_INVALID_CHUNK_ID);
    EXPECT_EQ (effect.GetParameterNormalizedValue ("none", &value), AAX_ERROR_INVALID_PARAMETER_ID);

    effect.Uninitialize();
    effect.GetNumberOfParameters (&count);
    EXPECT_EQ (count, 0);
    EXPECT_EQ (host.references, 0); // every hold on the host was given back
    EXPECT_EQ (AAX::LiveObjects(), liveBefore + 1);
}
