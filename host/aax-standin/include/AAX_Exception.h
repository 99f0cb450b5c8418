// Stand-in AAX layer: result codes as exceptions, inside the library only.
#pragma once

#include <exception>
#include <string>

#include "AAX_Errors.h"

namespace AAX
{
namespace Exception
{
    class ResultError : public std::exception
    {
    public:
        explicit ResultError (AAX_Result result);

        const char* what() const noexcept override { return text.c_str(); }
        const char* What() const noexcept          { return text.c_str(); }
        AAX_Result Result() const noexcept         { return code; }

    private:
        AAX_Result code;
        std::string text;
    };
}
}

// Assigning a failure traces "AAX_CheckedResult - throwing <name>" and throws ResultError.
class AAX_CheckedResult
{
public:
    AAX_CheckedResult() = default;
    AAX_CheckedResult (AAX_Result result) { Check (result); }

    AAX_CheckedResult& operator= (AAX_Result result) { Check (result); return *this; }
    operator AAX_Result() const noexcept { return last; }

private:
    void Check (AAX_Result result);

    AAX_Result last = AAX_SUCCESS;
};
