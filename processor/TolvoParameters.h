#pragma once

// What identifies the two parameters and the saved state. Saved projects,
// presets and host automation refer to these by value: changing any of them
// breaks every project that uses Tolvo.
namespace TolvoParameters
{
inline constexpr const char* enableId = "dbEnable";
inline constexpr const char* enableName = "Enable";
inline constexpr bool enableDefault = true;

inline constexpr const char* levelId = "dbMain";
inline constexpr const char* levelName = "Level";
inline constexpr float levelMinimumDb = -6.0f;
inline constexpr float levelMaximumDb = 0.0f;
inline constexpr float levelStepDb = 0.01f;
inline constexpr float levelDefaultDb = -0.1f;

// The version hint the framework stores with each parameter ID.
inline constexpr int idVersion = 1;

// Root tag of the state block's XML.
inline constexpr const char* stateTag = "MYPLUGINSETTINGS";
} // namespace TolvoParameters
