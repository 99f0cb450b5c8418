// The library's hold on the host's services, from ACFStartup to ACFShutdown.
#pragma once

#include "AAX_IACFHostInterfaces.h"

class AAX_VHostServices
{
public:
    static void Connect (IACFUnknown* host);
    static void Disconnect();

    static void Trace (int32_t priority, const char* message);
    static void AssertFailure (const char* file, int32_t line, const char* note);

private:
    static AAX_IACFHostServices* services;
};
