// The host's record of a plug-in definition: every call the library made on the
// collection, effect and component descriptors and property maps, in order.
#pragma once

#include <string>
#include <vector>

#include "AAX_IACFHostInterfaces.h"
#include "PluginDescription.h"

class DescriptionLog : public AAX_IACFDescriptionLog,
                       public IACFPluginDefinition
{
public:
    struct Call
    {
        int32_t objectID;
        std::string method;
        std::vector<int64_t> values;
        std::string text;
        bool hasText;
        const void* pointer;
    };

    // Ways a host can misbehave, for tests of the library's failure handling.
    enum class Throw
    {
        nothing,
        standardException,
        unknownException
    };

    DescriptionLog() = default;
    virtual ~DescriptionLog() = default;
    DescriptionLog (const DescriptionLog&) = delete;
    DescriptionLog& operator= (const DescriptionLog&) = delete;

    ACFRESULT QueryInterface (const acfIID& iid, void** out) override;
    acfUInt32 AddRef() override;
    acfUInt32 Release() override;

    int32_t NewObject (AAX_EDescriptionObject kind) override;
    ACFRESULT Record (const AAX_SDescriptionCall& call) override;

    PluginDescription describe() const;

    std::vector<Call> calls;
    std::vector<AAX_EDescriptionObject> refusedKinds;
    bool offersDefinition = true;
    Throw throwOnRecord = Throw::nothing;
    int references = 0; // counts the library's holds only

private:
    std::vector<AAX_EDescriptionObject> kinds { AAX_eDescriptionObject_EffectDescriptor }; // [0] is the collection
};
