#pragma once
// The cipher is keyed not with the password itself but with the key text: the 32 lowercase
// hexadecimal characters of the MD5 digest of the password's bytes (code page 932 bytes,
// as the dialog holds them).

#include <array>
#include <string_view>

#include "engine/blowfish.h"

using KeyText = std::array<char, 32>;

// The key text of the password's bytes, digested whole whatever their length.
KeyText MakeKeyText(std::string_view passwordBytes);

// Keys context with the key text of passwordBytes; the key text is wiped before returning.
void KeyFromPassword(std::string_view passwordBytes, BlowfishContext& context);
