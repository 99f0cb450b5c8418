#include "AAX_CDescriptionRecorder.h"

#include "AAX_Errors.h"

AAX_CDescriptionRecorder::AAX_CDescriptionRecorder (AAX_IACFDescriptionLog* descriptionLog, int32_t objectID) :
    log (descriptionLog), id (objectID)
{
}

AAX_Result AAX_CDescriptionRecorder::Record (const char* method, std::initializer_list<int64_t> values,
                                             const char* text, const void* pointer) const
{
    if (log == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    AAX_SDescriptionCall call {};
    call.objectID = id;
    call.method = method;
    call.text = text;
    call.pointer = pointer;

    for (auto value : values)
        if (call.numValues < 4)
            call.values[call.numValues++] = value;

    return log->Record (call) == ACF_OK ? AAX_SUCCESS : AAX_ERROR_NULL_OBJECT;
}

int32_t AAX_CDescriptionRecorder::NewObject (AAX_EDescriptionObject kind) const
{
    if (log == nullptr)
        return 0;

    const auto newID = log->NewObject (kind);
    return newID > 0 ? newID : 0;
}
