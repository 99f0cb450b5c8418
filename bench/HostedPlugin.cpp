#include "HostedPlugin.h"

#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>

#include <cmath>

namespace
{
constexpr size_t atomBufferBytes = 1 << 16;

bool portIs (LilvWorld* world, const LilvPlugin* plugin, const LilvPort* port, const char* classUri)
{
    LilvNode* node = lilv_new_uri (world, classUri);
    const bool is = lilv_port_is_a (plugin, port, node);
    lilv_node_free (node);
    return is;
}
} // namespace

HostedPlugin::HostedPlugin (LilvHost& h, const LilvPlugin* plugin, double sampleRate, int blockSize) :
    host (h)
{
    LilvWorld* world = host.getWorld();
    chunkType = host.map (LV2_ATOM__Chunk);
    instance = lilv_plugin_instantiate (plugin, sampleRate, host.featuresFor (sampleRate));

    if (instance == nullptr)
        return;

    const uint32_t numPorts = lilv_plugin_get_num_ports (plugin);
    std::vector<float> minimum (numPorts), maximum (numPorts), defaults (numPorts);
    lilv_plugin_get_port_ranges_float (plugin, minimum.data(), maximum.data(), defaults.data());
    controlValues.assign (numPorts, 0.0f);
    atomBuffers.resize (numPorts);
    spareAudio.resize (numPorts);

    LilvNode* latencyDesignation = lilv_new_uri (world, LV2_CORE__latency);
    LilvNode* reportsLatency = lilv_new_uri (world, LV2_CORE__reportsLatency);

    for (uint32_t i = 0; i < numPorts; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index (plugin, i);
        const bool input = portIs (world, plugin, port, LV2_CORE__InputPort);

        if (portIs (world, plugin, port, LV2_CORE__AudioPort))
        {
            (input ? audioIn : audioOut).push_back (i);
            spareAudio[i].assign ((size_t) blockSize, 0.0f);
            lilv_instance_connect_port (instance, i, spareAudio[i].data());
        }
        else if (portIs (world, plugin, port, LV2_CORE__ControlPort))
        {
            const float d = defaults[i];
            controlValues[i] = std::isnan (d) ? (std::isnan (minimum[i]) ? 0.0f : minimum[i]) : d;
            lilv_instance_connect_port (instance, i, &controlValues[i]);

            if (input)
                controlInputs.emplace_back (lilv_node_as_string (lilv_port_get_symbol (plugin, port)), i);
            else if (lilv_port_has_property (plugin, port, reportsLatency)
                     || lilv_port_has_property (plugin, port, latencyDesignation))
                latencyPort = (int) i;
        }
        else if (portIs (world, plugin, port, LV2_ATOM__AtomPort))
        {
            atomBuffers[i].assign (atomBufferBytes / sizeof (uint64_t), 0);
            (input ? atomIn : atomOut).push_back (i);
            lilv_instance_connect_port (instance, i, atomBuffers[i].data());
        }
        else
        {
            // CV or anything else: a silent buffer.
            spareAudio[i].assign ((size_t) blockSize, 0.0f);
            lilv_instance_connect_port (instance, i, spareAudio[i].data());
        }
    }

    if (latencyPort < 0)
    {
        if (LilvNode* designated = lilv_new_uri (world, LV2_CORE__latency))
        {
            LilvNode* output = lilv_new_uri (world, LV2_CORE__OutputPort);
            if (const LilvPort* port = lilv_plugin_get_port_by_designation (plugin, output, designated))
                latencyPort = (int) lilv_port_get_index (plugin, port);
            lilv_node_free (output);
            lilv_node_free (designated);
        }
    }

    lilv_node_free (latencyDesignation);
    lilv_node_free (reportsLatency);

    writeInputEvents();
    lilv_instance_activate (instance);
}

HostedPlugin::~HostedPlugin()
{
    if (instance != nullptr)
    {
        lilv_instance_deactivate (instance);
        lilv_instance_free (instance);
    }
}

bool HostedPlugin::setControl (const std::string& symbol, float value)
{
    for (const auto& [name, index] : controlInputs)
    {
        if (name == symbol)
        {
            controlValues[index] = value;
            return true;
        }
    }
    return false;
}

void HostedPlugin::writeInputEvents()
{
    LV2_URID_Map map { &host, [] (LV2_URID_Map_Handle handle, const char* uri)
                       { return static_cast<LilvHost*> (handle)->map (uri); } };
    LV2_Atom_Forge forge;
    lv2_atom_forge_init (&forge, &map);

    for (uint32_t index : atomIn)
    {
        lv2_atom_forge_set_buffer (&forge, reinterpret_cast<uint8_t*> (atomBuffers[index].data()), atomBufferBytes);
        LV2_Atom_Forge_Frame sequence;
        lv2_atom_forge_sequence_head (&forge, &sequence, 0);

        lv2_atom_forge_pop (&forge, &sequence);
    }
}

void HostedPlugin::run (const float* inLeft, const float* inRight, float* outLeft, float* outRight, int numFrames)
{
    lilv_instance_connect_port (instance, audioIn[0], const_cast<float*> (inLeft));
    lilv_instance_connect_port (instance, audioOut[0], outLeft);

    if (audioIn.size() > 1 && audioOut.size() > 1)
    {
        lilv_instance_connect_port (instance, audioIn[1], const_cast<float*> (inRight));
        lilv_instance_connect_port (instance, audioOut[1], outRight);
    }

    // Output sequences offer their whole capacity, as hosts do.
    for (uint32_t index : atomOut)
    {
        auto* atom = reinterpret_cast<LV2_Atom*> (atomBuffers[index].data());
        atom->size = (uint32_t) (atomBufferBytes - sizeof (LV2_Atom));
        atom->type = chunkType;
    }

    lilv_instance_run (instance, (uint32_t) numFrames);
}

int HostedPlugin::reportedLatency() const
{
    return latencyPort < 0 ? -1 : (int) std::lround (controlValues[(size_t) latencyPort]);
}
