#pragma once

#include <string>

// A file that cannot be written or must not be replaced, worded for the user.
struct FileError
{
    std::string message;
};
