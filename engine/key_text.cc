#include "engine/key_text.h"

#include <cstdint>
#include <cstring>

#include "engine/md5.h"
#include "platform/secure_wipe.h"

KeyText MakeKeyText(std::string_view passwordBytes) {
  // Fed through MD5Update directly rather than DigestText: a password is bytes, not a
  // NUL-terminated text, and neither an embedded NUL nor its length may cut it short.
  MD5_CTX context;
  MD5Init(context);
  const auto* bytes = reinterpret_cast<const uint8_t*>(passwordBytes.data());
  size_t remaining = passwordBytes.size();
  while (remaining > 0) {
    const uint32_t piece = remaining > 0xFFFFFFC0u ? 0xFFFFFFC0u : static_cast<uint32_t>(remaining);
    MD5Update(context, bytes, piece);
    bytes += piece;
    remaining -= piece;
  }

  uint8_t buffer[33];
  MD5Final(buffer, context);
  DigestToHexText(buffer);

  KeyText keyText;
  std::memcpy(keyText.data(), buffer, keyText.size());
  SecureWipe(buffer, sizeof buffer);
  return keyText;
}

void KeyFromPassword(std::string_view passwordBytes, BlowfishContext& context) {
  KeyText keyText = MakeKeyText(passwordBytes);
  BlowfishSetKey(context, reinterpret_cast<const uint8_t*>(keyText.data()),
                 static_cast<int32_t>(keyText.size()));
  SecureWipe(keyText.data(), keyText.size());
}
