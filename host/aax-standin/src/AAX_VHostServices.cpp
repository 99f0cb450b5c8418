#include "AAX_VHostServices.h"

#include <cstdarg>
#include <cstdio>

#include "AAX_Assert.h"

AAX_IACFHostServices* AAX_VHostServices::services = nullptr;

void AAX_VHostServices::Connect (IACFUnknown* host)
{
    Disconnect();

    void* found = nullptr;

    if (host != nullptr && host->QueryInterface (IID_IAAXHostServicesV1, &found) == ACF_OK)
        services = static_cast<AAX_IACFHostServices*> (found);
}

void AAX_VHostServices::Disconnect()
{
    if (services != nullptr)
        services->Release();

    services = nullptr;
}

void AAX_VHostServices::Trace (int32_t priority, const char* message)
{
    if (services != nullptr)
        services->Trace (priority, message);
}

void AAX_VHostServices::AssertFailure (const char* file, int32_t line, const char* note)
{
    if (services != nullptr)
        services->HandleAssertFailure (file, line, note);
}

void AAX::Trace (AAX_ETracePriorityHost priority, const char* format, ...)
{
    char message[1024];

    va_list args;
    va_start (args, format);
    std::vsnprintf (message, sizeof (message), format, args);
    va_end (args);

    AAX_VHostServices::Trace (priority, message);
}

void AAX::AssertFailure (const char* file, int32_t line, const char* note)
{
    AAX_VHostServices::AssertFailure (file, line, note);
}
