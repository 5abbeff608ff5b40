#pragma once
// The text rules of paths, in one place: how a path is stepped through, where its separators,
// drive part and last name are, how a name is joined to a folder, how deep it lies and how it
// is shortened to fit. Nothing here asks the file system, so every rule is tested natively.
//
// Paths are bytes in the system's ANSI code page, which may be double-byte (code page 932):
// a search for a separator must step over whole characters, because the second byte of a
// double-byte character (as in "ソ" 0x83 0x5C) can equal "\".

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Lead byte of a double-byte character: IsDBCSLeadByte on Windows, the code page 932 lead
// ranges 0x81-0x9F and 0xE0-0xFC elsewhere.
bool IsLeadByte(unsigned char byte);

// Length of the character starting at text[index]: 2 for a lead byte followed by another
// byte, else 1.
std::size_t CharacterLength(std::string_view text, std::size_t index);

// Index of the start of the last whole character, or npos for an empty text.
std::size_t LastCharacterIndex(std::string_view text);

// Index of the last byte that is one of separators and starts a whole character, or npos.
std::size_t FindLastSeparator(std::string_view text, std::string_view separators);

// Index of the first "\" at or after start that starts a whole character, or npos. start
// must itself be the start of a character.
std::size_t FindSeparatorFrom(std::string_view text, std::size_t start);

// How paths of this platform are spelt.
enum class PathStyle { Windows, Posix };
#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

// The last name: the part after the last separator ("\" or ":" as whole characters on
// Windows, "/" on POSIX), or the whole path when it has none; "" when the path ends in one.
std::string_view LastName(std::string_view path, PathStyle style = kNativePathStyle);

// The folder part of path: everything before its last separator ("" when it has none; the
// root itself, separator kept, for a name at the root: "/", "\", "D:\").
std::string FolderOf(std::string_view path, PathStyle style = kNativePathStyle);

// folder, one separator of style unless folder's last whole character already is that
// separator, then name. An empty folder gets the separator too ("" + "a" gives "\a"), and so
// does a drive ("C:" + "a" gives "C:\a"). This is how the output path and the browsing
// controls' paths are built.
std::string PathInFolder(std::string_view folder, std::string_view name,
                         PathStyle style = kNativePathStyle);

// The path the system resolves for the entry name of folder, as a folder listing joins them:
// like PathInFolder, except that an empty folder gives name alone and that on Windows a folder
// ending in "\", "/" or ":" gets no separator ("C:" + "a" gives the drive-relative "C:a").
std::string JoinPath(std::string_view folder, std::string_view name,
                     PathStyle style = kNativePathStyle);

// ---------------------------------------------------------------------------------------
// Windows paths ("\" and drive letters), read the same on every platform.

// letter upper-cased when it is "a"-"z", else unchanged: drives are named in upper case
// where the system keeps them ("=C:" in the environment).
char UpperDriveLetter(char letter);

// "E:" when the path's first character is a single-byte character followed by ":" (a
// double-byte character is never a drive letter); for a path beginning with "\\",
// everything before the "\" that follows the share name, or the whole path when there is
// none ("\\server\share"); otherwise empty.
std::string DrivePart(std::string_view path);

// The path without its drive part; "\" when nothing is left.
std::string WithoutDrivePart(std::string_view path);

// The number of "\" characters in path, counted on whole characters.
int PathDepth(std::string_view path);

// A leading folder of dir (a path's directory part, ending in "\") replaced by "...\":
// "\logs\2008\" gives "\...\2008\", "\...\2008\" gives "\...\", "...\" gives "", "\" gives
// "".
std::string DropLeadingFolder(std::string_view dir);

// path shortened until textWidth of it is at most width: leading folders give way to
// "...\" one by one, then the drive, then the folders: "C:\logs\2008\jan",
// "C:\...\2008\jan", "C:\...\jan", "...\jan", "jan". The last name is never shortened.
std::string ShortenPathToWidth(std::string_view path,
                               const std::function<int(std::string_view)>& textWidth, int width);

}  // namespace platform
