#include "AAX_UtilsNative.h"

const char* AAX::AsStringResult (AAX_Result result)
{
    switch (result)
    {
        case AAX_SUCCESS:
            return "AAX_SUCCESS (0)";
        case AAX_ERROR_INVALID_PARAMETER_ID:
            return "AAX_ERROR_INVALID_PARAMETER_ID (-20001)";
        case AAX_ERROR_INVALID_STRING_CONVERSION:
            return "AAX_ERROR_INVALID_STRING_CONVERSION (-20002)";
        case AAX_ERROR_NULL_OBJECT:
            return "AAX_ERROR_NULL_OBJECT (-20004)";
        case AAX_ERROR_INVALID_CHUNK_INDEX:
            return "AAX_ERROR_INVALID_CHUNK_INDEX (-20006)";
        case AAX_ERROR_INVALID_CHUNK_ID:
            return "AAX_ERROR_INVALID_CHUNK_ID (-20007)";
        case AAX_ERROR_INCORRECT_CHUNK_SIZE:
            return "AAX_ERROR_INCORRECT_CHUNK_SIZE (-20008)";
        case AAX_ERROR_UNIMPLEMENTED:
            return "AAX_ERROR_UNIMPLEMENTED (-20009)";
        case AAX_ERROR_INVALID_PARAMETER_INDEX:
            return "AAX_ERROR_INVALID_PARAMETER_INDEX (-20010)";
        case AAX_ERROR_NOT_INITIALIZED:
            return "AAX_ERROR_NOT_INITIALIZED (-20011)";
        case AAX_ERROR_INVALID_ARGUMENT:
            return "AAX_ERROR_INVALID_ARGUMENT (-20024)";
        case AAX_ERROR_UNKNOWN_EXCEPTION:
            return "AAX_ERROR_UNKNOWN_EXCEPTION (-20042)";
        default:
            return "unknown result";
    }
}
