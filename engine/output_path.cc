#include "engine/output_path.h"

std::string OutputFileNameFor(std::string_view fileName) {
  // "." (0x2E) is never the trail byte of a double-byte character, so a byte scan is exact.
  const std::size_t dot = fileName.rfind('.');
  std::string name(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
  name += ".CSV";
  return name;
}

std::string OutputPathFor(std::string_view outputFolder, std::string_view inputPath,
                          platform::PathStyle style) {
  return platform::PathInFolder(outputFolder,
                                OutputFileNameFor(platform::LastName(inputPath, style)), style);
}
