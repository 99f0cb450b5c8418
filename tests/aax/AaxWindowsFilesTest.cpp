// The Windows build files of the library, checked with Debian's MinGW tools.
// The version resource is generated from project(VERSION) into the build tree.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "AaxTestSupport.h"

using namespace aaxtest;

namespace
{
const std::string pluginDir = std::string (TOLVO_SOURCE_DIR) + "/host/plugin/";

std::string readFile (const std::string& path)
{
    std::ifstream in (path, std::ios::binary);
    return std::string ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());
}

std::string utf16 (const std::string& ascii)
{
    std::string out;
    for (char c : ascii)
    {
        out += c;
        out += '\0';
    }
    return out;
}
} // namespace

TEST (AaxWindowsFiles, VersionResourceCompilesWithTheMakersStrings)
{
    const auto res = tempPath ("Tolvo.res");
    ASSERT_EQ (run ("x86_64-w64-mingw32-windres -O res -o " + res + " " + TOLVO_AAX_RC_PATH + " 2>&1"), 0);
    const auto bytes = readFile (res);
    std::remove (res.c_str());

    for (const auto& [key, value] : { std::pair<const char*, const char*> { "CompanyName", "KORVALD" }, { "FileDescription", "Tolvo" }, { "ProductName", "Tolvo" }, { "FileVersion", TOLVO_PROJECT_VERSION }, { "ProductVersion", TOLVO_PROJECT_VERSION } })
    {
        const auto keyAt = bytes.find (utf16 (key));
        ASSERT_NE (keyAt, std::string::npos) << key;
        // The value follows its key, after padding.
        const auto valueAt = bytes.find (utf16 (value), keyAt + std::strlen (key) * 2);
        EXPECT_LT (valueAt - keyAt, std::strlen (key) * 2 + 8) << key;
    }

    // VS_FIXEDFILEINFO: signature, structure version, then the file version
    // major.minor.patch.0 as two little-endian 32-bit words (low half first).
    int major = 0, minor = 0, patch = 0;
    ASSERT_EQ (std::sscanf (TOLVO_PROJECT_VERSION, "%d.%d.%d", &major, &minor, &patch), 3);
    std::string fixed ("\xBD\x04\xEF\xFE\x00\x00\x01\x00", 8);
    for (int half : { minor, major, 0, patch })
    {
        fixed += static_cast<char> (half & 0xFF);
        fixed += static_cast<char> (half >> 8);
    }
    EXPECT_NE (bytes.find (fixed), std::string::npos);
}

TEST (AaxWindowsFiles, DefinitionExportsTheSevenByNameAsOrdinalsOneToSeven)
{
    const auto lib = tempPath ("Tolvo.dll.a");
    ASSERT_EQ (run ("x86_64-w64-mingw32-dlltool -d " + pluginDir + "Tolvo.def -l " + lib + " 2>&1"), 0);

    std::string symbols;
    ASSERT_EQ (run ("x86_64-w64-mingw32-nm " + lib, &symbols), 0);
    std::remove (lib.c_str());

    const char* names[] = { "ACFCanUnloadNow", "ACFGetClassFactory", "ACFGetSDKVersion", "ACFRegisterComponent",
                            "ACFRegisterPlugin", "ACFShutdown", "ACFStartup" };

    for (const auto* name : names)
        EXPECT_NE (symbols.find (std::string ("__imp_") + name + "\n"), std::string::npos) << name;

    const auto def = readFile (pluginDir + "Tolvo.def");
    EXPECT_NE (def.find ("LIBRARY \"Tolvo.aaxdll\""), std::string::npos);
    size_t at = 0;

    for (int ordinal = 1; ordinal <= 7; ++ordinal)
    {
        const auto entry = def.find (names[ordinal - 1], at);
        ASSERT_NE (entry, std::string::npos) << names[ordinal - 1];
        const auto line = def.substr (entry, def.find ('\n', entry) - entry);
        EXPECT_NE (line.find ("@" + std::to_string (ordinal)), std::string::npos) << line;
        at = entry;
    }

    // No export beyond the seven.
    EXPECT_EQ (std::count (def.begin(), def.end(), '@'), 7);
}
