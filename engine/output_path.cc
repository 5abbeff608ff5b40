#include "engine/output_path.h"

namespace {

using platform::PathStyle;

std::string_view SeparatorsOf(PathStyle style) {
  return style == PathStyle::Windows ? std::string_view("\\:") : std::string_view("/");
}

char FolderSeparatorOf(PathStyle style) { return style == PathStyle::Windows ? '\\' : '/'; }

// Whether the text's last whole character is sep: a trail byte 0x5C is not "\".
bool EndsWithSeparator(std::string_view text, char sep, PathStyle style) {
  if (style == PathStyle::Posix) return !text.empty() && text.back() == sep;
  const std::size_t last = platform::LastCharacterIndex(text);
  return last != std::string_view::npos && last + 1 == text.size() && text[last] == sep;
}

}  // namespace

std::string_view FileNameOf(std::string_view path, PathStyle style) {
  // POSIX paths may be UTF-8, whose bytes a double-byte scan would misread; "/" never
  // occurs inside a multi-byte character of UTF-8 or code page 932, so a byte scan is exact.
  const std::size_t separator = style == PathStyle::Windows
                                    ? platform::FindLastSeparator(path, SeparatorsOf(style))
                                    : path.rfind('/');
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string OutputFileNameFor(std::string_view fileName) {
  // "." (0x2E) is never the trail byte of a double-byte character, so a byte scan is exact.
  const std::size_t dot = fileName.rfind('.');
  std::string name(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
  name += ".CSV";
  return name;
}

std::string OutputPathFor(std::string_view outputFolder, std::string_view inputPath,
                          PathStyle style) {
  const char sep = FolderSeparatorOf(style);
  std::string path(outputFolder);
  if (!EndsWithSeparator(path, sep, style)) path += sep;
  path += OutputFileNameFor(FileNameOf(inputPath, style));
  return path;
}

std::string FolderOf(std::string_view path, PathStyle style) {
  const std::size_t separator = style == PathStyle::Windows
                                    ? platform::FindLastSeparator(path, SeparatorsOf(style))
                                    : path.rfind('/');
  if (separator == std::string_view::npos) return {};
  // A root keeps its separator: "C:" without it names the drive's current folder instead.
  const bool atRoot =
      separator == 0 || (style == PathStyle::Windows && path[separator - 1] == ':');
  return std::string(path.substr(0, atRoot ? separator + 1 : separator));
}
