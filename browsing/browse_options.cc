#include "browsing/browse_options.h"

namespace {

struct OptionFlag {
  TBrowseOption option;
  std::uint32_t flag;
};

constexpr OptionFlag kOptionFlags[] = {
    {boEditBox, kBrowseEditBox},
    {boShowShares, kBrowseShareable},
    {boNewDialogStyle, kBrowseNewDialogStyle},
    {boIncludeFiles, kBrowseIncludeFiles},
    {boValidate, kBrowseValidate},
};

}  // namespace

std::uint32_t BrowseFlags(TBrowseOptions options) {
  std::uint32_t flags = kBrowseFileSystemFoldersOnly;
  if (!options.Contains(boNewFolderButton)) flags |= kBrowseNoNewFolderButton;
  for (const OptionFlag& entry : kOptionFlags) {
    if (options.Contains(entry.option)) flags |= entry.flag;
  }
  return flags;
}
