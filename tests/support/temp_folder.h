#pragma once
// A fresh folder for one test, removed with everything in it when the test ends.

#include <string>
#include <string_view>
#include <vector>

class TempFolder {
 public:
  TempFolder();
  // A fresh folder inside parent (for example the root of another drive).
  explicit TempFolder(const std::string& parent);
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  // The folder's path, without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + separator + name.
  std::string operator/(std::string_view name) const;
  // Names of the entries directly inside the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

// The native separator: "\" in the Windows build, "/" elsewhere.
char NativeSeparator();
