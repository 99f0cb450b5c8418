#include "DescriptionLog.h"

#include <algorithm>
#include <map>
#include <stdexcept>

ACFRESULT DescriptionLog::QueryInterface (const acfIID& iid, void** out)
{
    if (out == nullptr)
        return ACF_E_NOINTERFACE;

    *out = nullptr;

    if (iid == IID_IAAXDescriptionLogV1)
        *out = static_cast<AAX_IACFDescriptionLog*> (this);
    else if (iid == IID_IACFPluginDefinition && offersDefinition)
        *out = static_cast<IACFPluginDefinition*> (this);
    else
        return ACF_E_NOINTERFACE;

    AddRef();
    return ACF_OK;
}

acfUInt32 DescriptionLog::AddRef() { return static_cast<acfUInt32> (++references); }
acfUInt32 DescriptionLog::Release() { return static_cast<acfUInt32> (--references); }

int32_t DescriptionLog::NewObject (AAX_EDescriptionObject kind)
{
    if (std::find (refusedKinds.begin(), refusedKinds.end(), kind) != refusedKinds.end())
        return 0;

    kinds.push_back (kind);
    return static_cast<int32_t> (kinds.size() - 1);
}

ACFRESULT DescriptionLog::Record (const AAX_SDescriptionCall& call)
{
    if (throwOnRecord == Throw::standardException)
        throw std::runtime_error ("the host's description log is full");

    if (throwOnRecord == Throw::unknownException)
        throw 42;

    Call copy { call.objectID, call.method != nullptr ? call.method : "", {}, call.text != nullptr ? call.text : "", call.text != nullptr, call.pointer };

    for (int32_t i = 0; i < call.numValues && i < 4; ++i)
        copy.values.push_back (call.values[i]);

    calls.push_back (std::move (copy));
    return ACF_OK;
}

namespace
{
using Call = DescriptionLog::Call;

int64_t value (const Call& c, size_t i) { return i < c.values.size() ? c.values[i] : 0; }
int32_t firstValue (const Call& c) { return static_cast<int32_t> (value (c, 0)); }

// The description as the calls build it up, one call at a time.
struct Reading
{
    PluginDescription d;
    std::map<int32_t, size_t> effectIndex; // effect object -> index in d.effects
    std::map<int32_t, PluginDescription::Component> components; // component object -> its description
    std::map<int32_t, std::vector<std::pair<int32_t, int32_t>>> maps;
    std::map<int32_t, std::vector<int32_t>> addedComponents; // effect object -> components in order added

    void collection (const Call& c)
    {
        if (c.method == "NewDescriptor")
        {
            effectIndex[firstValue (c)] = d.effects.size();
            d.effects.push_back ({});
            d.effects.back().objectID = firstValue (c);
        }
        else if (c.method == "AddEffect" && effectIndex.count (firstValue (c)) > 0)
            d.effects[effectIndex[firstValue (c)]].identifier = c.text;
        else if (c.method == "SetManufacturerName")
            d.manufacturer = c.text;
        else if (c.method == "AddPackageName")
            d.packageNames.push_back (c.text);
        else if (c.method == "SetPackageVersion")
            d.packageVersion = static_cast<uint32_t> (value (c, 0));
    }

    void effect (const Call& c)
    {
        auto& e = d.effects[effectIndex[c.objectID]];
        if (c.method == "AddName")
            e.names.push_back (c.text);
        else if (c.method == "AddCategory")
            e.categories.push_back (static_cast<uint32_t> (value (c, 0)));
        else if (c.method == "AddProcPtr")
            e.procPtrs.emplace_back (firstValue (c), c.pointer);
        else if (c.method == "NewComponentDescriptor")
            components[firstValue (c)].objectID = firstValue (c);
        else if (c.method == "AddComponent")
            addedComponents[c.objectID].push_back (firstValue (c));
    }

    void component (const Call& c)
    {
        auto& comp = components[c.objectID];
        comp.objectID = c.objectID;
        const auto field = firstValue (c);

        if (c.method == "AddAudioIn")
            comp.fields.push_back ({ field, "audio input", -1, -1 });
        else if (c.method == "AddAudioOut")
            comp.fields.push_back ({ field, "audio output", -1, -1 });
        else if (c.method == "AddAudioBufferLength")
            comp.fields.push_back ({ field, "audio buffer length", -1, -1 });
        else if (c.method == "AddSideChainIn")
            comp.fields.push_back ({ field, "side-chain input", -1, -1 });
        else if (c.method == "AddMeters")
            comp.fields.push_back ({ field, "meters", value (c, 1) * 4, -1 });
        else if (c.method == "AddAuxOutputStem")
            comp.fields.push_back ({ field, "aux output", -1, -1 });
        else if (c.method == "AddDataInPort")
            comp.fields.push_back ({ field, "data-in port", value (c, 1), value (c, 2) });
        else if (c.method == "AddPrivateData")
            comp.fields.push_back ({ field, "private data", value (c, 1), -1 });
        else if (c.method == "AddProcessProc_Native")
        {
            comp.processProc = c.pointer;
            comp.properties = maps[field];
        }
    }

    void propertyMap (const Call& c)
    {
        auto& props = maps[c.objectID];
        const auto property = firstValue (c);
        props.erase (std::remove_if (props.begin(), props.end(), [property] (const auto& p)
                                     { return p.first == property; }),
                     props.end());

        if (c.method == "AddProperty")
            props.emplace_back (property, static_cast<int32_t> (value (c, 1)));
    }

    // Each effect's components, in the order it added them.
    void gatherComponents()
    {
        for (auto& e : d.effects)
            for (auto componentID : addedComponents[e.objectID])
            {
                auto comp = components[componentID];
                comp.added = true;
                comp.findProperty (51, comp.inputStemFormat);
                comp.findProperty (52, comp.outputStemFormat);
                e.components.push_back (comp);
            }
    }
};
} // namespace

PluginDescription DescriptionLog::describe() const
{
    Reading r;
    for (const auto& c : calls)
    {
        const auto id = c.objectID;
        const auto kind = id >= 0 && static_cast<size_t> (id) < kinds.size() ? kinds[static_cast<size_t> (id)]
                                                                             : AAX_eDescriptionObject_PropertyMap;
        if (id == 0)
            r.collection (c);
        else if (kind == AAX_eDescriptionObject_EffectDescriptor && r.effectIndex.count (id) > 0)
            r.effect (c);
        else if (kind == AAX_eDescriptionObject_ComponentDescriptor)
            r.component (c);
        else if (kind == AAX_eDescriptionObject_PropertyMap)
            r.propertyMap (c);
    }
    r.gatherComponents();
    return r.d;
}
