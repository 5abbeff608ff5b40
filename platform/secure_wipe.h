#pragma once
// Overwrites memory that held a secret; the volatile writes cannot be optimised away.

#include <cstddef>
#include <string>

inline void SecureWipe(void* data, std::size_t size) {
  volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = 0;
}

inline void SecureWipe(std::string& text) {
  SecureWipe(text.data(), text.size());
  text.clear();
}
