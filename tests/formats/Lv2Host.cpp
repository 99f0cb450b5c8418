#include "Lv2Host.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/patch/patch.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstring>

namespace
{
constexpr size_t sequenceCapacity = 65536;
}

Lv2Host::Lv2Host (const std::string& libraryPath, double sampleRate, int maxBlock) :
    maxBlockLength (maxBlock)
{
    mapFeature = { this, mapUri };
    options = { { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), map (LV2_ATOM__Int), &maxBlockLength },
                { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr } };
    featureStorage = { { LV2_URID__map, &mapFeature },
                       { LV2_OPTIONS__options, options.data() },
                       { LV2_BUF_SIZE__boundedBlockLength, nullptr } };

    for (auto& f : featureStorage)
        features.push_back (&f);

    features.push_back (nullptr);

    library = dlopen (libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);

    if (library == nullptr)
        return;

    if (auto* entry = reinterpret_cast<LV2_Descriptor_Function> (dlsym (library, "lv2_descriptor")))
        descriptor = entry (0);

    if (descriptor == nullptr)
        return;

    const auto bundle = libraryPath.substr (0, libraryPath.rfind ('/') + 1);
    instance = descriptor->instantiate (descriptor, sampleRate, bundle.c_str(), features.data());

    if (instance == nullptr)
        return;

    inputSequence.assign (sequenceCapacity, 0);
    outputSequence.assign (sequenceCapacity, 0);
    descriptor->connect_port (instance, 4, inputSequence.data());
    descriptor->connect_port (instance, 5, outputSequence.data());
    descriptor->connect_port (instance, 6, &latency);
    descriptor->connect_port (instance, 7, &freeWheeling);
    descriptor->connect_port (instance, 8, &enabled);
}

Lv2Host::~Lv2Host()
{
    if (instance != nullptr)
        descriptor->cleanup (instance);

    // The library stays loaded: the framework's threads may outlive the
    // instance by a moment.
}

void Lv2Host::activate() { descriptor->activate (instance); }
void Lv2Host::deactivate() { descriptor->deactivate (instance); }

void Lv2Host::run (float* left, float* right, int numFrames)
{
    for (uint32_t port = 0; port < 2; ++port)
    {
        descriptor->connect_port (instance, port, port == 0 ? left : right);
        descriptor->connect_port (instance, port + 2, port == 0 ? left : right);
    }

    auto* in = reinterpret_cast<LV2_Atom_Sequence*> (inputSequence.data());
    in->atom.type = map (LV2_ATOM__Sequence);
    in->atom.size = sizeof (LV2_Atom_Sequence_Body);
    in->body.unit = 0;

    auto* out = reinterpret_cast<LV2_Atom_Sequence*> (outputSequence.data());
    out->atom.type = 0;
    out->atom.size = (uint32_t) (sequenceCapacity - sizeof (LV2_Atom));

    descriptor->run (instance, (uint32_t) numFrames);

    reported.clear();
    const auto set = map (LV2_PATCH__Set);
    const auto property = map (LV2_PATCH__property);
    const auto value = map (LV2_PATCH__value);

    LV2_ATOM_SEQUENCE_FOREACH (out, event)
    {
        if (event->body.type != map (LV2_ATOM__Object))
            continue;

        const auto* object = reinterpret_cast<const LV2_Atom_Object*> (&event->body);

        if (object->body.otype != set)
            continue;

        const LV2_Atom* which = nullptr;
        const LV2_Atom* what = nullptr;
        lv2_atom_object_get (object, property, &which, value, &what, 0);

        if (which != nullptr && what != nullptr && what->type == map (LV2_ATOM__Float))
            reported[uris[reinterpret_cast<const LV2_Atom_URID*> (which)->body - 1]] = reinterpret_cast<const LV2_Atom_Float*> (what)->body;
    }
}

bool Lv2Host::restoreString (const std::string& keyUri, const std::string& value)
{
    const auto* state = static_cast<const LV2_State_Interface*> (descriptor->extension_data (LV2_STATE__interface));

    if (state == nullptr)
        return false;

    stateKey = map (keyUri.c_str());
    stateValue = value;
    return state->restore (instance, retrieve, this, 0, nullptr) == LV2_STATE_SUCCESS;
}

const void* Lv2Host::retrieve (LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
{
    auto& self = *static_cast<Lv2Host*> (handle);

    if (key != self.stateKey)
        return nullptr;

    *size = self.stateValue.size() + 1;
    *type = self.map (LV2_ATOM__String);
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return self.stateValue.c_str();
}

LV2_URID Lv2Host::map (const char* uri) { return mapUri (this, uri); }

LV2_URID Lv2Host::mapUri (LV2_URID_Map_Handle handle, const char* uri)
{
    auto& list = static_cast<Lv2Host*> (handle)->uris;
    const auto it = std::find (list.begin(), list.end(), uri);

    if (it != list.end())
        return (LV2_URID) (it - list.begin() + 1);

    list.emplace_back (uri);
    return (LV2_URID) list.size();
}
