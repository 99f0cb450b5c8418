#include "AAX_CPacketDispatcher.h"

#include <cstring>

#include "AAX_CParameterManager.h"
#include "AAX_Errors.h"

void AAX_CPacketDispatcher::Initialize (AAX_IController* hostController, AAX_CParameterManager* parameterManager)
{
    controller = hostController;
    parameters = parameterManager;
}

AAX_Result AAX_CPacketDispatcher::RegisterPacket (AAX_CParamID parameterID, AAX_CFieldIndex portField)
{
    if (parameterID == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    packets.push_back ({ parameterID, portField, true });
    return AAX_SUCCESS;
}

AAX_Result AAX_CPacketDispatcher::SetDirty (AAX_CParamID parameterID, bool dirty)
{
    if (parameterID == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    for (auto& packet : packets)
        if (packet.parameterID == parameterID)
            packet.dirty = dirty;

    return AAX_SUCCESS;
}

AAX_Result AAX_CPacketDispatcher::Dispatch()
{
    if (controller == nullptr || parameters == nullptr)
        return AAX_ERROR_NOT_INITIALIZED;

    AAX_Result result = AAX_SUCCESS;

    for (auto& packet : packets)
    {
        if (! packet.dirty)
            continue;

        const auto* parameter = parameters->GetParameterByID (packet.parameterID.c_str());

        if (parameter == nullptr)
            continue;

        // The value in the parameter's own type; booleans travel as a 32-bit integer.
        unsigned char data[8] = {};
        uint32_t size = 0;
        float f = 0;
        int32_t i = 0;
        bool b = false;
        double d = 0;

        if (parameter->GetValueAsFloat (&f))
        {
            std::memcpy (data, &f, sizeof (f));
            size = sizeof (f);
        }
        else if (parameter->GetValueAsInt32 (&i))
        {
            std::memcpy (data, &i, sizeof (i));
            size = sizeof (i);
        }
        else if (parameter->GetValueAsBool (&b))
        {
            i = b ? 1 : 0;
            std::memcpy (data, &i, sizeof (i));
            size = sizeof (i);
        }
        else if (parameter->GetValueAsDouble (&d))
        {
            std::memcpy (data, &d, sizeof (d));
            size = sizeof (d);
        }
        else
            continue;

        const auto posted = controller->PostPacket (packet.field, data, size);

        if (posted == AAX_SUCCESS)
            packet.dirty = false;
        else
            result = posted;
    }

    return result;
}
