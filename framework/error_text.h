#pragma once
// The texts of the application's two error boxes.

#include <cstdint>
#include <string>
#include <string_view>

// Text of the default error box: the message, with "." appended when the message is not
// empty and its last character (a double-byte character counting as one) sorts after "."
// in byte order.
std::string ErrorBoxText(std::string_view message);

// Text of the generic error box for an object outside the Exception hierarchy.
std::string GenericErrorText(std::string_view className, std::string_view moduleName,
                             std::uint32_t address);

// Readable name of the type of the exception being handled ("std::runtime_error", "int").
// Call only inside a catch block.
std::string CurrentExceptionClassName();
