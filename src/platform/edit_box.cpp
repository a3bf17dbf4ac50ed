#include "platform/edit_box.h"

#include <algorithm>

#include "base/sjis.h"

namespace piko {

void EditBox::Open(int limit_bytes) {
  text_.clear();
  composition_.clear();
  caret_ = 0;
  limit_ = limit_bytes > 0 ? static_cast<size_t>(limit_bytes) : 0;
}

size_t EditBox::Next(size_t i) const {
  if (i >= text_.size()) return text_.size();
  return std::min(text_.size(), i + (IsLeadByte(static_cast<unsigned char>(text_[i])) ? 2 : 1));
}

// Found from the start: a trail byte may look like a lead byte.
size_t EditBox::Previous(size_t i) const {
  size_t at = 0;
  for (size_t next = Next(0); next < i; next = Next(next)) at = next;
  return at;
}

void EditBox::Insert(std::string_view utf8) {
  composition_.clear();
  std::string sjis = SjisFromUtf8(utf8);
  for (size_t i = 0; i < sjis.size();) {
    unsigned char c = static_cast<unsigned char>(sjis[i]);
    if (c == '\r' || c == '\n') break;
    size_t n = IsLeadByte(c) && i + 1 < sjis.size() ? 2 : 1;
    if (c >= 0x20 && c != 0x7F) {
      if (limit_ > 0 && text_.size() + n > limit_) break;
      text_.insert(caret_, sjis, i, n);
      caret_ += n;
    }
    i += n;
  }
}

void EditBox::Compose(std::string_view utf8) { composition_ = SjisFromUtf8(utf8); }

bool EditBox::Press(Key key) {
  if (composing()) return false;
  switch (key) {
    case Key::kBackspace:
      if (caret_ > 0) {
        size_t from = Previous(caret_);
        text_.erase(from, caret_ - from);
        caret_ = from;
      }
      break;
    case Key::kDelete:
      text_.erase(caret_, Next(caret_) - caret_);
      break;
    case Key::kLeft:
      caret_ = Previous(caret_);
      break;
    case Key::kRight:
      caret_ = Next(caret_);
      break;
    case Key::kHome:
      caret_ = 0;
      break;
    case Key::kEnd:
      caret_ = text_.size();
      break;
  }
  return true;
}

std::string EditBox::Shown(size_t* composition_from, size_t* composition_to) const {
  if (composition_from) *composition_from = caret_;
  if (composition_to) *composition_to = caret_ + composition_.size();
  return text_.substr(0, caret_) + composition_ + text_.substr(caret_);
}

}  // namespace piko
