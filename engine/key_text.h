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

// A context keyed from a password for one file, wiped when it goes.
class PasswordKey {
 public:
  explicit PasswordKey(std::string_view passwordBytes) { KeyFromPassword(passwordBytes, context_); }
  PasswordKey(const PasswordKey&) = delete;
  PasswordKey& operator=(const PasswordKey&) = delete;
  ~PasswordKey() { WipeBlowfishContext(context_); }
  const BlowfishContext& Context() const { return context_; }

 private:
  BlowfishContext context_;
};
