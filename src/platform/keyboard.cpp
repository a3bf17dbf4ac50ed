#include "platform/keyboard.h"

#include <cctype>
#include <string>

#include "base/sjis.h"

namespace piko {

namespace {

#define PIKO_LETTER(c, kana, shifted) \
  { #c[0], #c, #c[0], kana, shifted }

constexpr KeyboardKey kKeys[] = {
    {'1', "1", '1', "ﾇ"_sj, ""},
    {'2', "2", '2', "ﾌ"_sj, ""},
    {'3', "3", '3', "ｱ"_sj, "ｧ"_sj},
    {'4', "4", '4', "ｳ"_sj, "ｩ"_sj},
    {'5', "5", '5', "ｴ"_sj, "ｪ"_sj},
    {'6', "6", '6', "ｵ"_sj, "ｫ"_sj},
    {'7', "7", '7', "ﾔ"_sj, "ｬ"_sj},
    {'8', "8", '8', "ﾕ"_sj, "ｭ"_sj},
    {'9', "9", '9', "ﾖ"_sj, "ｮ"_sj},
    {'0', "0", '0', "ﾜ"_sj, "ｦ"_sj},
    {0xBD, "MINUS", '-', "ﾎ"_sj, ""},
    {0xDE, "CARET", '^', "ﾍ"_sj, ""},
    {0xDC, "YEN", '\\', "ｰ"_sj, ""},
    PIKO_LETTER(Q, "ﾀ"_sj, ""),
    PIKO_LETTER(W, "ﾃ"_sj, ""),
    PIKO_LETTER(E, "ｲ"_sj, "ｨ"_sj),
    PIKO_LETTER(R, "ｽ"_sj, ""),
    PIKO_LETTER(T, "ｶ"_sj, ""),
    PIKO_LETTER(Y, "ﾝ"_sj, ""),
    PIKO_LETTER(U, "ﾅ"_sj, ""),
    PIKO_LETTER(I, "ﾆ"_sj, ""),
    PIKO_LETTER(O, "ﾗ"_sj, ""),
    PIKO_LETTER(P, "ｾ"_sj, ""),
    {0xC0, "AT", '@', "ﾞ"_sj, ""},
    {0xDB, "LBRACKET", '[', "ﾟ"_sj, "｢"_sj},
    PIKO_LETTER(A, "ﾁ"_sj, ""),
    PIKO_LETTER(S, "ﾄ"_sj, ""),
    PIKO_LETTER(D, "ｼ"_sj, ""),
    PIKO_LETTER(F, "ﾊ"_sj, ""),
    PIKO_LETTER(G, "ｷ"_sj, ""),
    PIKO_LETTER(H, "ｸ"_sj, ""),
    PIKO_LETTER(J, "ﾏ"_sj, ""),
    PIKO_LETTER(K, "ﾉ"_sj, ""),
    PIKO_LETTER(L, "ﾘ"_sj, ""),
    {0xBB, "SEMICOLON", ';', "ﾚ"_sj, ""},
    {0xBA, "COLON", ':', "ｹ"_sj, ""},
    {0xDD, "RBRACKET", ']', "ﾑ"_sj, "｣"_sj},
    PIKO_LETTER(Z, "ﾂ"_sj, "ｯ"_sj),
    PIKO_LETTER(X, "ｻ"_sj, ""),
    PIKO_LETTER(C, "ｿ"_sj, ""),
    PIKO_LETTER(V, "ﾋ"_sj, ""),
    PIKO_LETTER(B, "ｺ"_sj, ""),
    PIKO_LETTER(N, "ﾐ"_sj, ""),
    PIKO_LETTER(M, "ﾓ"_sj, ""),
    {0xBC, "COMMA", ',', "ﾈ"_sj, "､"_sj},
    {0xBE, "PERIOD", '.', "ﾙ"_sj, "｡"_sj},
    {0xBF, "SLASH", '/', "ﾒ"_sj, "･"_sj},
    {0xE2, "RO", '_', "ﾛ"_sj, ""},
};

#undef PIKO_LETTER

bool Holds(const char* legend, unsigned char byte) {
  return legend[0] != '\0' && static_cast<unsigned char>(legend[0]) == byte;
}

}  // namespace

std::span<const KeyboardKey> JapaneseKeyboard() { return kKeys; }

int VirtualKeyOf(unsigned char byte) {
  int c = byte < 0x80 ? std::toupper(byte) : byte;
  for (const KeyboardKey& k : kKeys) {
    if ((c < 0x80 && k.ascii == c) || Holds(k.kana, byte) || Holds(k.kana_shifted, byte)) return k.vk;
  }
  return 0xFF;
}

int VirtualKeyNamed(std::string_view utf8) {
  std::string upper(utf8);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const KeyboardKey& k : kKeys) {
    if (upper == k.name) return k.vk;
  }
  std::string sjis = SjisFromUtf8(utf8);
  if (sjis.size() != 1 || sjis == "?") return 0;
  int vk = VirtualKeyOf(static_cast<unsigned char>(sjis[0]));
  return vk == 0xFF ? 0 : vk;
}

}  // namespace piko
