#pragma once

#include <string>
#include <vector>

// The rules for a place a tool writes to, shared by every command-line tool:
// never an input, never a folder, device, pipe or socket, and an existing file
// only when asked to replace it.
class OutputTarget
{
public:
    /** Throws FileError naming `name` when `target` may not be written. */
    static void check (const std::string& target, const std::string& name, const std::vector<std::string>& inputs, bool force);
    /** True when both paths lead to the same file, through links too. */
    static bool sameFile (const std::string& a, const std::string& b);
    /** True when something, even a dangling link, stands at `path`. */
    static bool exists (const std::string& path);
    /** True for a folder, or a link to one. */
    static bool isFolder (const std::string& path);
    /** Throws FileError when `target` is there and is not a regular file. */
    static void checkReplaceable (const std::string& target, const std::string& name);
};
