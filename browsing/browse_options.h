#pragma once
// The folder picker's options (folder_picker.h) and the browse flags they give, as plain
// values: nothing here calls the shell.

#include <cstdint>
#include <initializer_list>

enum TBrowseOption : std::uint8_t {
  boNewFolderButton,  // 0
  boEditBox,          // 1
  boShowShares,       // 2
  boNewDialogStyle,   // 3
  boIncludeFiles,     // 4
  boValidate,         // 5
};

// A set of TBrowseOption held in one byte: bit n stands for member n.
class TBrowseOptions {
 public:
  constexpr TBrowseOptions() = default;
  constexpr TBrowseOptions(std::initializer_list<TBrowseOption> options) {
    for (const TBrowseOption option : options) bits_ = static_cast<std::uint8_t>(bits_ | Bit(option));
  }
  // The set whose byte is bits; bits 6 and 7 stand for no member and are dropped.
  static constexpr TBrowseOptions FromBits(std::uint8_t bits) {
    TBrowseOptions options;
    options.bits_ = static_cast<std::uint8_t>(bits & 0x3F);
    return options;
  }
  constexpr std::uint8_t Bits() const { return bits_; }
  constexpr bool Contains(TBrowseOption option) const { return (bits_ & Bit(option)) != 0; }
  friend constexpr bool operator==(TBrowseOptions, TBrowseOptions) = default;

 private:
  static constexpr std::uint8_t Bit(TBrowseOption option) { return static_cast<std::uint8_t>(1u << option); }
  std::uint8_t bits_ = 0;
};

// The shell's browse flags (BROWSEINFOA::ulFlags) that the options use; folder_picker.cc
// checks them against the shell's own names.
inline constexpr std::uint32_t kBrowseFileSystemFoldersOnly = 0x0001;  // BIF_RETURNONLYFSDIRS
inline constexpr std::uint32_t kBrowseEditBox = 0x0010;                // BIF_EDITBOX
inline constexpr std::uint32_t kBrowseValidate = 0x0020;               // BIF_VALIDATE
inline constexpr std::uint32_t kBrowseNewDialogStyle = 0x0040;         // BIF_NEWDIALOGSTYLE
inline constexpr std::uint32_t kBrowseNoNewFolderButton = 0x0200;      // BIF_NONEWFOLDERBUTTON
inline constexpr std::uint32_t kBrowseIncludeFiles = 0x4000;           // BIF_BROWSEINCLUDEFILES
inline constexpr std::uint32_t kBrowseShareable = 0x8000;              // BIF_SHAREABLE

// The browse flags for options: file-system folders only (0x1) always; no new-folder button
// (0x200) unless boNewFolderButton; edit box (0x10) for boEditBox; shareable (0x8000) for
// boShowShares; new dialog style (0x40) for boNewDialogStyle; files too (0x4000) for
// boIncludeFiles; validate (0x20) for boValidate.
std::uint32_t BrowseFlags(TBrowseOptions options);
