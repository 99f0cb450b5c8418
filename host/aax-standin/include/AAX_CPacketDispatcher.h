// Stand-in AAX layer: sends parameter values to the algorithm's data-in ports.
// A registered parameter's value goes out, in its own type, when it has changed
// and the effect generates coefficients.
#pragma once

#include <string>
#include <vector>

#include "AAX_IController.h"

class AAX_IEffectParameters;
class AAX_CParameterManager;

class AAX_CPacketDispatcher
{
public:
    void Initialize (AAX_IController* controller, AAX_CParameterManager* parameterManager);

    AAX_Result RegisterPacket (AAX_CParamID parameterID, AAX_CFieldIndex portField);
    AAX_Result SetDirty (AAX_CParamID parameterID, bool dirty = true);
    AAX_Result Dispatch();

private:
    struct Packet
    {
        std::string parameterID;
        AAX_CFieldIndex field;
        bool dirty;
    };

    AAX_IController* controller = nullptr;
    AAX_CParameterManager* parameters = nullptr;
    std::vector<Packet> packets;
};
