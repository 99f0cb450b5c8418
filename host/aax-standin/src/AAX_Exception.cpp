#include "AAX_Exception.h"

#include "AAX_Assert.h"
#include "AAX_UtilsNative.h"

AAX::Exception::ResultError::ResultError (AAX_Result result) :
    code (result), text (AAX::AsStringResult (result))
{
}

void AAX_CheckedResult::Check (AAX_Result result)
{
    last = result;

    if (result != AAX_SUCCESS)
    {
        AAX_TRACE (AAX_eTracePriorityHost_Normal, "AAX_CheckedResult - throwing %s", AAX::AsStringResult (result));
        throw AAX::Exception::ResultError (result);
    }
}
