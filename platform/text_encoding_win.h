#pragma once
// Conversions between UTF-16 and code pages, shared by the Windows console and text encoding
// files. Internal to platform/.

#include <string>
#include <string_view>

namespace platform::windows {

// The code page of the user's text: the console's input code page, or the ANSI code page
// without a console.
unsigned UserCodePage();

// Converts exactly: false when text holds a character that codePage cannot hold (no best-fit
// look-alikes, no default character) or a lone surrogate; *failed then names it.
bool WideToCodePage(std::wstring_view text, unsigned codePage, std::string& out, char32_t* failed);

// Converts bytes in codePage; false when they are not valid there.
bool CodePageToWide(std::string_view text, unsigned codePage, std::wstring& out);

void WipeText(std::string& text);
void WipeText(std::wstring& text);

}  // namespace platform::windows
