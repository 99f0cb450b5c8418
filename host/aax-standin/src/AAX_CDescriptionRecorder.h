// Hands every call on one description object to the host's description log, in order.
#pragma once

#include <initializer_list>

#include "AAX_IACFHostInterfaces.h"

class AAX_CDescriptionRecorder
{
public:
    AAX_CDescriptionRecorder (AAX_IACFDescriptionLog* descriptionLog, int32_t objectID);

    AAX_Result Record (const char* method, std::initializer_list<int64_t> values,
                       const char* text = nullptr, const void* pointer = nullptr) const;

    // The host's ID for a new object, or 0 when it gives none.
    int32_t NewObject (AAX_EDescriptionObject kind) const;

    AAX_IACFDescriptionLog* Log() const noexcept { return log; }
    int32_t ID() const noexcept { return id; }

private:
    AAX_IACFDescriptionLog* log;
    int32_t id;
};
