#include "framework/error_text.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "framework/texts.h"
#include "platform/path_text.h"

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  const std::size_t last = platform::LastCharacterIndex(message);
  if (last != std::string_view::npos && message.substr(last) > std::string_view(".")) text += '.';
  return text;
}

std::string GenericErrorText(std::string_view className, std::string_view moduleName,
                             std::uint32_t address) {
  const std::string name(className);
  const std::string module(moduleName);
  const int length = std::snprintf(nullptr, 0, kGenericErrorFormat, name.c_str(), module.c_str(),
                                   address, "", "");
  if (length < 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), kGenericErrorFormat, name.c_str(), module.c_str(), address,
                "", "");
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::string CurrentExceptionClassName() {
  const std::type_info* type = abi::__cxa_current_exception_type();
  if (!type) return "unknown";
  int status = 0;
  const std::unique_ptr<char, decltype(&std::free)> readable(
      abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && readable ? std::string(readable.get()) : std::string(type->name());
}
