// One component of the description; records every call.
#pragma once

#include <memory>
#include <vector>

#include "AAX_IComponentDescriptor.h"
#include "AAX_VPropertyMap.h"

class AAX_VComponentDescriptor : public AAX_IComponentDescriptor
{
public:
    AAX_VComponentDescriptor (AAX_IACFDescriptionLog* log, int32_t objectID);

    AAX_Result AddAudioIn (AAX_CFieldIndex field) override;
    AAX_Result AddAudioOut (AAX_CFieldIndex field) override;
    AAX_Result AddAudioBufferLength (AAX_CFieldIndex field) override;
    AAX_Result AddSideChainIn (AAX_CFieldIndex field) override;
    AAX_Result AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name) override;
    AAX_Result AddMeters (AAX_CFieldIndex field, const AAX_CTypeID* meterIDs, uint32_t meterCount) override;
    AAX_Result AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, AAX_EDataInPortType portType) override;
    AAX_Result AddPrivateData (AAX_CFieldIndex field, int32_t dataSize, uint32_t options) override;

    AAX_IPropertyMap* NewPropertyMap() override;

    using AAX_IComponentDescriptor::AddProcessProc_Native;
    AAX_Result AddProcessProc_Native (AAX_CProcessProc processProc, AAX_IPropertyMap* properties) override;

    int32_t ID() const noexcept { return recorder.ID(); }

private:
    AAX_CDescriptionRecorder recorder;
    std::vector<std::unique_ptr<AAX_VPropertyMap>> propertyMaps;
};
