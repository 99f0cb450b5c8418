#include "tools/render/OutputTarget.h"

#include "tools/render/FileError.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
fs::path pathOf (const std::string& utf8) { return fs::u8path (utf8); }
} // namespace

bool OutputTarget::sameFile (const std::string& a, const std::string& b)
{
    std::error_code error;
    return a == b || fs::equivalent (pathOf (a), pathOf (b), error);
}

bool OutputTarget::exists (const std::string& path)
{
    std::error_code error;
    return fs::symlink_status (pathOf (path), error).type() != fs::file_type::not_found && ! error;
}

bool OutputTarget::isFolder (const std::string& path)
{
    std::error_code error;
    return fs::is_directory (pathOf (path), error);
}

void OutputTarget::checkReplaceable (const std::string& target, const std::string& name)
{
    std::error_code error;
    // Through a link: what would be written over is what it points to.
    const auto type = fs::status (pathOf (target), error).type();
    if (type == fs::file_type::directory)
        throw FileError { "cannot write " + name + ": it is a folder" };
    if (type != fs::file_type::not_found && type != fs::file_type::regular && type != fs::file_type::none)
        throw FileError { "cannot write " + name + ": it is not a regular file (a device, pipe or socket); only regular files are replaced" };
}

void OutputTarget::check (const std::string& target, const std::string& name, const std::vector<std::string>& inputs, bool force)
{
    for (const auto& in : inputs)
        if (sameFile (target, in))
            throw FileError { name + " is an input; it is never overwritten" };

    checkReplaceable (target, name);
    if (! force && exists (target))
        throw FileError { name + " exists; add --force to replace it" };
}
