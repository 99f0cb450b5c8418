// The library as a host scans it: exports, entry points, the plug-in description
// and the failure handling of ACFRegisterPlugin.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "AAX_Enums.h"
#include "AAX_Errors.h"
#include "AaxTestSupport.h"

using namespace aaxtest;

namespace
{
using Properties = std::vector<std::pair<int32_t, int32_t>>;

Properties expectedProperties (int32_t stem, int32_t native, int32_t audioSuite)
{
    return { { AAX_eProperty_ManufacturerID, 0x4D616E75 }, // 'Manu'
             { AAX_eProperty_ProductID, 0x517A3472 }, // 'Qz4r'
             { AAX_eProperty_CanBypass, 1 },
             { AAX_eProperty_InputStemFormat, stem },
             { AAX_eProperty_OutputStemFormat, stem },
             { AAX_eProperty_PlugInID_Native, native },
             { AAX_eProperty_PlugInID_AudioSuite, audioSuite },
             { AAX_eProperty_Constraint_MultiMonoSupport, 1 } };
}

std::vector<std::string> methodsOf (const DescriptionLog& log, int32_t objectID)
{
    std::vector<std::string> methods;

    for (const auto& call : log.calls)
        if (call.objectID == objectID)
            methods.push_back (call.method);

    return methods;
}
} // namespace

TEST (AaxLibrary, ExportsTheSevenEntryPointsAndNothingElse)
{
    std::string out;
    ASSERT_EQ (run (std::string ("nm -D --defined-only ") + libraryPath, &out), 0);

    std::set<std::string> defined;
    std::istringstream lines (out);

    for (std::string line; std::getline (lines, line);)
    {
        const auto name = line.substr (line.find_last_of (' ') + 1);

        // A sanitized build carries the sanitizer's interface too.
        if (name.rfind ("__asan", 0) != 0 && name.rfind ("__ubsan", 0) != 0 && name.rfind ("__sanitizer", 0) != 0)
            defined.insert (name);
    }

    EXPECT_EQ (defined, (std::set<std::string> { "ACFCanUnloadNow", "ACFGetClassFactory", "ACFGetSDKVersion",
                                                 "ACFRegisterComponent", "ACFRegisterPlugin", "ACFShutdown", "ACFStartup" }));

    ASSERT_EQ (run (std::string ("objdump -p ") + libraryPath, &out), 0);
    EXPECT_NE (out.find ("SONAME               Tolvo.aaxdll"), std::string::npos);
    EXPECT_NE (std::string (libraryPath).find ("Tolvo.aaxplugin/Contents/x86_64-linux/Tolvo.aaxdll"), std::string::npos);
}

TEST (AaxLibrary, EntryPointsGiveTheirFixedAnswers)
{
    auto& h = host();

    acfUInt64 version = 0;
    EXPECT_EQ (h.getSDKVersion (&version), 0);
    EXPECT_EQ (version, 0x0000020300BF7318ull);

    void* factory = nullptr;
    EXPECT_EQ (h.getClassFactory (&factory), -20009);
    EXPECT_EQ (factory, nullptr);

    void* componentDefinition = nullptr;
    EXPECT_EQ (h.registerComponent (&componentDefinition), 0);
    EXPECT_EQ (componentDefinition, nullptr);

    EXPECT_EQ (h.canUnloadNow(), 0);
}

TEST (AaxLibrary, DescribesOneEffectWithTheMakersIdentity)
{
    const auto& d = description();

    ASSERT_EQ (d.effects.size(), 1u);
    const auto& effect = d.effects[0];
    EXPECT_EQ (effect.identifier, TOLVO_AAX_IDENTIFIER);
    EXPECT_EQ (effect.names, std::vector<std::string> { "Tolvo" });
    EXPECT_EQ (effect.categories, std::vector<uint32_t> { 2 });
    EXPECT_EQ (d.manufacturer, JucePlugin_Manufacturer);
    EXPECT_EQ (d.packageNames, (std::vector<std::string> { "Tolvo", "Tolvo" }));
    EXPECT_EQ (d.packageVersion, static_cast<uint32_t> (JucePlugin_VersionCode));

    // The GUI factory first, then the effect-parameters factory.
    ASSERT_EQ (effect.procPtrs.size(), 2u);
    EXPECT_EQ (effect.procPtrs[0].first, 1);
    EXPECT_EQ (effect.procPtrs[1].first, 0);
    EXPECT_NE (effect.procPtrs[0].second, nullptr);
    EXPECT_NE (effect.procPtrs[1].second, nullptr);
}

TEST (AaxLibrary, DeclaresExactlyMonoAndStereoComponents)
{
    const auto& components = description().effects.at (0).components;
    ASSERT_EQ (components.size(), 2u);

    EXPECT_EQ (components[0].inputStemFormat, AAX_eStemFormat_Mono);
    EXPECT_EQ (components[0].outputStemFormat, AAX_eStemFormat_Mono);
    EXPECT_EQ (components[0].properties, expectedProperties (0x00000001, 0x6A636262, 0x6A796262));

    EXPECT_EQ (components[1].inputStemFormat, AAX_eStemFormat_Stereo);
    EXPECT_EQ (components[1].outputStemFormat, AAX_eStemFormat_Stereo);
    EXPECT_EQ (components[1].properties, expectedProperties (0x00010002, 0x6A636363, 0x6A796363));

    for (const auto& c : components)
    {
        int32_t unused = 0;
        EXPECT_FALSE (c.findProperty (AAX_eProperty_SupportsSideChainInput, unused));
        ASSERT_EQ (c.fields.size(), 8u);

        const std::vector<std::tuple<int32_t, std::string, int64_t>> expected {
            { 0, "audio input", -1 }, { 1, "audio output", -1 }, { 2, "audio buffer length", -1 }, { 3, "data-in port", 4 }, { 4, "private data", 8 }, { 5, "private data", 4 }, { 6, "private data", 8 }, { 7, "private data", 8 }
        };

        for (size_t i = 0; i < expected.size(); ++i)
        {
            EXPECT_EQ (c.fields[i].index, std::get<0> (expected[i]));
            EXPECT_EQ (c.fields[i].kind, std::get<1> (expected[i]));
            EXPECT_EQ (c.fields[i].size, std::get<2> (expected[i]));
        }

        EXPECT_EQ (c.fields[3].portType, 1);
        EXPECT_EQ (c.processProc, components[0].processProc);
        EXPECT_NE (c.processProc, nullptr);
    }
}

TEST (AaxLibrary, FillsTheCollectionLastAndInTheDeclaredOrder)
{
    DescriptionLog log;
    ASSERT_EQ (host().registerPlugin (&log), 0);

    const auto collectionCalls = methodsOf (log, 0);
    EXPECT_EQ (collectionCalls, (std::vector<std::string> { "NewDescriptor", "AddEffect", "SetManufacturerName",
                                                            "AddPackageName", "AddPackageName", "SetPackageVersion" }));
    host().releaseDefinition();

    // The collection's calls come after everything on the effect descriptor.
    size_t lastEffectCall = 0, addEffect = 0;

    for (size_t i = 0; i < log.calls.size(); ++i)
    {
        if (log.calls[i].objectID != 0)
            lastEffectCall = i;
        if (log.calls[i].method == "AddEffect")
            addEffect = i;
    }

    EXPECT_LT (lastEffectCall, addEffect);

    // Component calls: fields, a property map, the dummy side-chain field, then the process procedure.
    const auto first = methodsOf (log, log.describe().effects.at (0).components.at (0).objectID);
    EXPECT_EQ (first, (std::vector<std::string> { "AddAudioIn", "AddAudioOut", "AddAudioBufferLength", "AddDataInPort",
                                                  "AddPrivateData", "AddPrivateData", "AddPrivateData", "NewPropertyMap",
                                                  "AddPrivateData", "AddProcessProc_Native" }));
}

TEST (AaxLibrary, AsksTheHostWhichStemFormatsItSupports)
{
    // Only mono supported: only the mono component remains.
    {
        AaxHost h;
        ASSERT_EQ (h.load (libraryPath), "");
        h.offerStemFormatSupport ({ { AAX_eStemFormat_Mono, AAX_eSupportLevel_Supported },
                                    { AAX_eStemFormat_Stereo, AAX_eSupportLevel_Unsupported } });
        ASSERT_EQ (h.registerPlugin(), 0);
        const auto d = h.log().describe();
        ASSERT_EQ (d.effects.at (0).components.size(), 1u);
        EXPECT_EQ (d.effects[0].components[0].inputStemFormat, AAX_eStemFormat_Mono);
    }

    // Every format supported, surround and Ambisonics included: the processor still takes two.
    {
        AaxHost h;
        ASSERT_EQ (h.load (libraryPath), "");
        std::map<int32_t, int32_t> all;

        for (auto f : { AAX_eStemFormat_Mono, AAX_eStemFormat_Stereo, AAX_eStemFormat_LCR, AAX_eStemFormat_LCRS,
                        AAX_eStemFormat_Quad, AAX_eStemFormat_5_0, AAX_eStemFormat_5_1, AAX_eStemFormat_6_0,
                        AAX_eStemFormat_6_1, AAX_eStemFormat_7_0_SDDS, AAX_eStemFormat_7_1_SDDS, AAX_eStemFormat_7_0_DTS,
                        AAX_eStemFormat_7_1_DTS, AAX_eStemFormat_7_0_2, AAX_eStemFormat_7_1_2, AAX_eStemFormat_Ambi_1_ACN,
                        AAX_eStemFormat_Ambi_2_ACN, AAX_eStemFormat_Ambi_3_ACN })
            all[f] = AAX_eSupportLevel_Supported;

        h.offerStemFormatSupport (all);
        ASSERT_EQ (h.registerPlugin(), 0);
        const auto d = h.log().describe();
        ASSERT_EQ (d.effects.at (0).components.size(), 2u);
        EXPECT_EQ (d.effects[0].components[0].inputStemFormat, AAX_eStemFormat_Mono);
        EXPECT_EQ (d.effects[0].components[1].inputStemFormat, AAX_eStemFormat_Stereo);
    }
}

TEST (AaxLibrary, RegistrationFailuresGiveTheirCodesAndTraces)
{
    auto& h = host();

    // No effect descriptor from the host: the description fails and the library traces it.
    {
        DescriptionLog log;
        log.refusedKinds = { AAX_eDescriptionObject_EffectDescriptor };
        h.traces.clear();
        EXPECT_EQ (h.registerPlugin (&log), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (h.traces, (std::vector<std::string> {
                                 "AAX_CheckedResult - throwing AAX_ERROR_NULL_OBJECT (-20004)",
                                 "AAXRegisterPlugin exception caught: AAX_ERROR_NULL_OBJECT (-20004)" }));
        EXPECT_FALSE (h.definitionReturned());
    }

    // The collection cannot give the plug-in definition.
    {
        DescriptionLog log;
        log.offersDefinition = false;
        h.traces.clear();
        EXPECT_EQ (h.registerPlugin (&log), AAX_ERROR_NULL_OBJECT);
        EXPECT_TRUE (h.traces.empty());
        EXPECT_EQ (log.references, 0);
    }

    // Exceptions from inside the description.
    {
        DescriptionLog log;
        log.throwOnRecord = DescriptionLog::Throw::standardException;
        h.traces.clear();
        EXPECT_EQ (h.registerPlugin (&log), AAX_ERROR_UNKNOWN_EXCEPTION);
        EXPECT_EQ (h.traces, std::vector<std::string> { "AAXRegisterPlugin exception caught: the host's description log is full" });
    }

    {
        DescriptionLog log;
        log.throwOnRecord = DescriptionLog::Throw::unknownException;
        h.traces.clear();
        EXPECT_EQ (h.registerPlugin (&log), AAX_ERROR_UNKNOWN_EXCEPTION);
        EXPECT_EQ (h.traces, std::vector<std::string> { "AAXRegisterPlugin exception caught: unknown" });
    }

    // A description that worked leaves the host one hold on the definition and no other.
    {
        DescriptionLog log;
        EXPECT_EQ (h.registerPlugin (&log), 0);
        EXPECT_TRUE (h.definitionReturned());
        EXPECT_EQ (log.references, 1);
        DescriptionLog other;
        h.registerPlugin (&other); // releases the first definition
        EXPECT_EQ (log.references, 0);
        h.releaseDefinition();
        EXPECT_EQ (other.references, 0);
    }

    EXPECT_EQ (h.canUnloadNow(), 0);
}

TEST (AaxLibrary, AnExceptionEscapingAnExportBecomesTheCatchAllResult)
{
    AaxHost h;
    ASSERT_EQ (h.load (libraryPath), "");
    h.throwOnQuery = true;
    EXPECT_EQ (static_cast<uint32_t> (h.startup()), 0x8000FFFFu);
    // Inside ACFRegisterPlugin the library catches it itself.
    EXPECT_EQ (h.registerPlugin(), AAX_ERROR_UNKNOWN_EXCEPTION);
    h.throwOnQuery = false;

    // Startup and shutdown with a well-behaved host.
    EXPECT_EQ (h.startup(), 0);
    EXPECT_EQ (h.shutdown(), 0);
    EXPECT_EQ (host().startup(), 0); // the shared host's services again
}

TEST (AaxHostTool, ScanPrintsTheDescription)
{
    std::string out;
    ASSERT_EQ (run (std::string (TOLVO_AAX_HOST_PATH) + " scan " + libraryPath, &out), 0) << out;

    char versionHex[64];
    std::snprintf (versionHex, sizeof (versionHex), "\"packageVersionHex\": \"0x%08X\"", static_cast<unsigned> (JucePlugin_VersionCode));
    const std::string identifier = std::string ("\"identifier\": \"") + TOLVO_AAX_IDENTIFIER + "\"";
    const std::string manufacturer = std::string ("\"manufacturer\": \"") + JucePlugin_Manufacturer + "\"";

    for (const auto& expected : std::vector<std::string> { identifier, manufacturer, std::string (versionHex), std::string ("\"sdkVersion\": \"0x0000020300BF7318\""),
                                                           "\"hex\": \"0x6A636262\"", "\"hex\": \"0x6A796363\"", "\"shortName\": \"Leve\"",
                                                           "\"steps\": 2048", "\"masterBypass\": \"MasterBypassID\"", "\"canUnloadNow\": 0" })
        EXPECT_NE (out.find (expected), std::string::npos) << expected;

    EXPECT_NE (run (std::string (TOLVO_AAX_HOST_PATH) + " scan /nonexistent/Tolvo.aaxdll 2>/dev/null"), 0);
}
