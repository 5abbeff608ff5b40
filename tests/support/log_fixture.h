#pragma once
// Encrypted log files for tests. The product never encrypts file data, so the encryption side
// lives here, next to a deliberately plain reference decryption to compare the engine with.
// Keys come from KeyFromPassword: the password's bytes are taken as they are, so a Japanese
// password is UTF-8 in the native build and code page 932 in the Windows build.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Encrypts plaintext block by block (ECB) with the log files' little-endian block order.
// Throws std::invalid_argument unless plaintext's length is a multiple of 8.
std::vector<uint8_t> EncryptLog(std::string_view password, std::span<const uint8_t> plaintext);

// A log file of exactly cipherLength bytes that decrypts under password to "Vellunor" in block
// 0 followed by CSV lines (dates, Japanese operation names, users) in the build's narrow
// encoding, padded with spaces to a whole block. When cipherLength is not a multiple of 8, the
// last 1-7 bytes are arbitrary, as a truncated file would end; a cipherLength below 8 gives
// only such bytes. The same seed gives the same file.
std::vector<uint8_t> MakeSampleLog(std::string_view password, size_t cipherLength,
                                   uint32_t seed);

// The plain decryption loop: every 8-byte chunk, a short last one padded with 0x20 first, is
// decrypted on its own with BlowfishDecryptBlock. The result's length is ciphertext's length
// rounded up to a multiple of 8.
std::vector<uint8_t> ReferenceDecrypt(std::string_view password,
                                      std::span<const uint8_t> ciphertext);

// Whole-file helpers; both throw std::runtime_error naming the path when the file cannot be
// opened, written or read.
void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
