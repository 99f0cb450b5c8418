// Count of live plug-in objects (effect parameters and GUIs), read by ACFCanUnloadNow.
#pragma once

#include <cstdint>

namespace AAX
{
void AddLiveObject() noexcept;
void RemoveLiveObject() noexcept;
int32_t LiveObjects() noexcept;
} // namespace AAX
