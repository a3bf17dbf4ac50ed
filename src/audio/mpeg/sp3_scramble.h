// The four-byte XOR mask of scrambled MP3 (.sp3) files.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t kSp3Mask = 0x4D2A6B17;

// XORs bytes that sit at file offset `offset` onwards with the mask: byte i
// of the file takes byte (i mod 4) of the mask, little-endian. The same call
// scrambles and unscrambles.
void UnscrambleSp3Bytes(uint8_t* bytes, size_t size, uint64_t offset = 0);
