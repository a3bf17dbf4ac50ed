// The text input box's editing: each case is a run of edits, then the text,
// the caret (in CP932 bytes) and what the box shows.
#include "platform/edit_box.h"

#include <gtest/gtest.h>

#include "base/sjis.h"

namespace piko {
namespace {

// One edit: "+TEXT" types or pastes, "~TEXT" composes, or a key: B(ackspace)
// D(elete) L(eft) R(ight) H(ome) E(nd); "!B" a key the box must refuse.
struct Case {
  const char* name;
  int limit;
  std::vector<std::string> edits;
  const char* text;
  size_t caret;
  const char* shown;
};

TEST(EditBox, EditsByCharacterWithinTheByteLimit) {
  const Case cases[] = {
      {"limit counts CP932 bytes", 8, {"+あいうえお"}, "あいうえ", 8, "あいうえ"},
      {"a double-byte character never splits", 8, {"+abcdefg", "+あ", "+h"}, "abcdefgh", 8, "abcdefgh"},
      {"no limit",
       0,
       {"+あいうえおかきくけこさしすせそ"},
       "あいうえおかきくけこさしすせそ",
       30,
       "あいうえおかきくけこさしすせそ"},
      {"backspace before the caret", 0, {"+あいう", "L", "L", "B", "B"}, "いう", 0, "いう"},
      {"delete after the caret", 0, {"+aあb", "H", "D", "R", "D", "D"}, "あ", 2, "あ"},
      {"home, end and typing in the middle", 0, {"+ac", "H", "R", "+b", "E", "+d"}, "abcd", 4, "abcd"},
      {"a trail byte that looks like a lead byte", 0, {"+ゃゃ", "L", "B"}, "ゃ", 0, "ゃ"},
      {"right and left stop at the ends", 0, {"+ab", "R", "H", "L", "B"}, "ab", 0, "ab"},
      {"a paste ends at its line break", 0, {"+one\r\ntwo", "+\tx"}, "onex", 4, "onex"},
      {"composition shown at the caret, not counted", 4, {"+ab", "L", "~かんじ", "!B", "!H"}, "ab", 1, "aかんじb"},
      {"committing ends the composition, held to the limit", 4, {"+ab", "~かんじ", "+漢字"}, "ab漢", 4, "ab漢"},
      {"an emptied composition gives the keys back", 0, {"+ab", "~か", "~", "B"}, "a", 1, "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EditBox box;
    box.Open(c.limit);
    for (const std::string& e : c.edits) {
      if (e[0] == '+') {
        box.Insert(e.substr(1));
      } else if (e[0] == '~') {
        box.Compose(e.substr(1));
      } else {
        bool refused = e[0] == '!';
        static const std::string kKeys = "BDLRHE";
        auto key = static_cast<EditBox::Key>(kKeys.find(e[refused ? 1 : 0]));
        EXPECT_EQ(box.Press(key), !refused) << e;
      }
    }
    EXPECT_EQ(Utf8FromSjis(box.text()), c.text);
    EXPECT_EQ(box.caret(), c.caret);
    EXPECT_EQ(Utf8FromSjis(box.Shown()), c.shown);
  }
}

}  // namespace
}  // namespace piko
