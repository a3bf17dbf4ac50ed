// The one-line edit box of the text input dialog ("＃文字入力"), as the
// system's edit control behaves, apart from any window: the text in CP932
// with a caret on character boundaries, the editing keys, typed and pasted
// text held to a limit in CP932 bytes, and the input method's composition,
// shown at the caret but not part of the text until it is committed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace piko {

class EditBox {
 public:
  enum class Key { kBackspace, kDelete, kLeft, kRight, kHome, kEnd };

  // Empties the box. limit_bytes 0: no limit.
  void Open(int limit_bytes);
  // Typed, committed or pasted text (UTF-8) goes in at the caret, character
  // by character while it fits the limit; a paste ends at its first line
  // break, as a one-line edit control takes it. Ends the composition.
  void Insert(std::string_view utf8);
  // The input method's text being composed (UTF-8); empty when none.
  void Compose(std::string_view utf8);
  // An editing key. Returns false when the box did not take it: while a
  // composition runs, the input method has the keys.
  bool Press(Key key);

  const std::string& text() const { return text_; }  // CP932
  size_t caret() const { return caret_; }            // a byte offset into text()
  bool composing() const { return !composition_.empty(); }
  // What the box shows (CP932): the text with the composition at the caret,
  // and where the composition starts and ends in it.
  std::string Shown(size_t* composition_from = nullptr, size_t* composition_to = nullptr) const;

 private:
  size_t Next(size_t i) const;
  size_t Previous(size_t i) const;

  std::string text_;
  size_t caret_ = 0;
  size_t limit_ = 0;
  std::string composition_;  // CP932
};

}  // namespace piko
