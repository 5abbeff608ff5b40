#pragma once
// The plain one-block decryption loop and random test data, shared by the cipher tests.

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/blowfish.h"

// Decrypts blockCount blocks one by one through BlowfishDecryptBlock, with the little-endian
// halves written out here on their own rather than borrowed from the engine.
void DecryptOneByOne(const BlowfishContext& context, uint8_t* blocks, size_t blockCount);

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t count);

// Whether two contexts hold the same key schedule, word for word.
bool SameContext(const BlowfishContext& a, const BlowfishContext& b);
