#include "audio/mpeg/sp3_scramble.h"

void UnscrambleSp3Bytes(uint8_t* bytes, size_t size, uint64_t offset) {
  for (size_t i = 0; i < size; ++i) {
    bytes[i] ^= static_cast<uint8_t>(kSp3Mask >> (8 * ((offset + i) & 3)));
  }
}
