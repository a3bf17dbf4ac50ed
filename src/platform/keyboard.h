// The keys of a Japanese 106/109-key keyboard as Windows names them: the
// virtual-key code of each key, its name and character for the headless
// input file, and its kana legends. Games' typing exercises expect these
// codes; the SDL backend gives them by the key's position, so a player with
// any keyboard types with the keys a Japanese keyboard has there.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace piko {

struct KeyboardKey {
  uint8_t vk;        // virtual-key code
  const char* name;  // for the headless input file
  char ascii;        // the unshifted character (upper case for letters)
  const char* kana;  // CP932 half-width kana legends: unshifted, then shifted (may be empty)
  const char* kana_shifted;
};

std::span<const KeyboardKey> JapaneseKeyboard();

// VkKeyScanA of the Japanese layout, low byte only: the key that types the
// CP932 byte (letters of either case, digits, the punctuation of the
// unshifted keys, the half-width kana of the legends). 0xFF when no key does.
int VirtualKeyOf(unsigned char byte);

// The key a headless input file names: by name (A, MINUS, YEN, ...) or by
// its character ("-", "@", "ｶ" in UTF-8). 0 when none.
int VirtualKeyNamed(std::string_view utf8);

}  // namespace piko
