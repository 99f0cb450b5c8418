// Stand-in AAX layer: one processing component (a stem-format pair) of an effect.
#pragma once

#include "AAX_IPropertyMap.h"

class AAX_IComponentDescriptor
{
public:
    virtual ~AAX_IComponentDescriptor() = default;

    virtual AAX_Result AddAudioIn (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioOut (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioBufferLength (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddSideChainIn (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name) = 0;
    virtual AAX_Result AddMeters (AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount) = 0;
    virtual AAX_Result AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize,
                                      AAX_EDataInPortType portType = AAX_eDataInPortType_Buffered) = 0;
    virtual AAX_Result AddPrivateData (AAX_CFieldIndex field, int32_t dataSize,
                                       uint32_t options = AAX_ePrivateDataOptions_DefaultOptions) = 0;

    virtual AAX_IPropertyMap* NewPropertyMap() = 0;

    virtual AAX_Result AddProcessProc_Native (AAX_CProcessProc processProc, AAX_IPropertyMap* properties) = 0;

    // Takes the callback of any context type; the host hands it the context pointers.
    template <typename ContextType>
    AAX_Result AddProcessProc_Native (void (AAX_CALLBACK* processProc) (ContextType* const instancesBegin[], const void* instancesEnd),
                                      AAX_IPropertyMap* properties)
    {
        return AddProcessProc_Native (reinterpret_cast<AAX_CProcessProc> (processProc), properties);
    }
};
