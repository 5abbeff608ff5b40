#pragma once
// The running executable's path, whose last name (platform::LastName) titles and error boxes
// show.

#include <string>

// Full path of the executable file of the process.
std::string ExecutablePath();
