#pragma once
// The process's current directory, as the browsing controls and the path splitting move it.
// A refused change is raised as EInOutError (framework/exceptions.h) with the system's code.

#include <cstdint>
#include <string>

// The calling thread's pending I/O result, reset to 0: the system's error code of a refused
// TryChangeCurrentDirectory not yet taken, else 0. ChangeCurrentDirectory sets the result and
// takes it into its exception at once, so after any EInOutError this returns 0; the
// application's handler still calls it after such an error, so that nothing a caller of
// TryChangeCurrentDirectory left behind outlives the error.
uint32_t TakeIOResult();

// Makes path the process's current directory. On refusal: the pending I/O result is set to
// the system's error code and taken at once into the EInOutError that is raised. After a
// success the drive's remembered directory ("=E:" in the environment) is updated, so a
// later change to "E:" alone returns there, as programs expect on Windows.
void ChangeCurrentDirectory(const std::string& path);
// The same change unchecked: on refusal the pending I/O result is set and left for the
// caller, and false is returned; nothing is raised.
bool TryChangeCurrentDirectory(const std::string& path);

// The process's current directory as the system reports it (no trailing "\" except at a
// drive root).
std::string CurrentDirectory();
