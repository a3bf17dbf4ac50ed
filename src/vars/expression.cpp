// The expression evaluator: script text to a number in three text-to-text
// steps (array indices, normalisation, evaluation). Values are single
// precision and every stored intermediate is rounded to it, as games expect.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/sjis.h"
#include "shell/game.h"

namespace piko {

namespace {

constexpr std::string_view kTooLong = "ERR:計算式が長すぎます"_sjv;
constexpr std::string_view kOpenIndex = "［"_sjv;
constexpr std::string_view kCloseIndex = "］"_sjv;

size_t CharLength(std::string_view s, size_t i) {
  return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

bool IsAsciiExpressionChar(char c) {
  return (c >= '0' && c <= '9') || c == '%' || c == '/' || c == '*' || c == '-' || c == '+' || c == '(' ||
         c == ')' || c == ' ';
}

struct FullWidth {
  std::string_view text;
  char ascii;
};

constexpr FullWidth kFullWidth[] = {
    {"０"_sjv, '0'}, {"１"_sjv, '1'}, {"２"_sjv, '2'}, {"３"_sjv, '3'}, {"４"_sjv, '4'},
    {"５"_sjv, '5'}, {"６"_sjv, '6'}, {"７"_sjv, '7'}, {"８"_sjv, '8'}, {"９"_sjv, '9'},
    {"％"_sjv, '%'}, {"／"_sjv, '/'}, {"＊"_sjv, '*'}, {"－"_sjv, '-'}, {"＋"_sjv, '+'},
    {"（"_sjv, '('}, {"）"_sjv, ')'}, {"　"_sjv, ' '},
};

// The ASCII form of the full-width expression character at i, or 0.
char FullWidthAt(std::string_view s, size_t i) {
  if (CharLength(s, i) != 2) return 0;
  std::string_view c = s.substr(i, 2);
  for (const FullWidth& f : kFullWidth) {
    if (c == f.text) return f.ascii;
  }
  return 0;
}

// Digits, the colon and the full-width space belong to a name; operators,
// brackets and blanks end it.
bool EndsName(std::string_view s, size_t i) {
  char c = s[i];
  if (c == '\t' || c == ' ' || c == '%' || c == '/' || c == '*' || c == '-' || c == '+' || c == '(' || c == ')') {
    return true;
  }
  char a = FullWidthAt(s, i);
  return a != 0 && a != ' ' && !(a >= '0' && a <= '9');
}

enum class Kind : uint8_t { kNumber, kOperator, kEnd };

struct Token {
  Kind kind = Kind::kEnd;
  char op = 0;
  float value = 0.0f;
};

bool IsOperator(const Token& t) { return t.kind == Kind::kOperator; }
bool IsNumber(const Token& t) { return t.kind == Kind::kNumber; }
bool IsOp(const Token& t, char op) { return t.kind == Kind::kOperator && t.op == op; }

// atof over a run of digits and periods, rounded to single precision.
float ParseNumber(std::string_view run) {
  double d = 0.0;
  std::from_chars(run.data(), run.data() + run.size(), d, std::chars_format::fixed);
  // Halfway between FLT_MAX and 2^128: from here on the float is infinite.
  constexpr double kFloatOverflow = 0x1.ffffffp127;
  if (!(d < kFloatOverflow)) return INFINITY;
  return static_cast<float>(d);
}

// Truncation toward zero as the processor does it: out of range gives the
// most negative integer.
int32_t TruncateToInt32(float f) {
  if (std::isnan(f) || f >= 2147483648.0f || f < -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(f);
}

std::string FormatResult(float v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%f", static_cast<double>(v));
  return buf;
}

int Fail(std::string* out, std::string_view message) {
  out->assign(message);
  return 0;
}

// Removes `n` tokens at `at` from a list of `count`.
void EraseTokens(Token* tokens, int* count, int at, int n) {
  for (int i = at; i + n < *count; ++i) tokens[i] = tokens[i + n];
  *count -= n;
}

}  // namespace

bool IsErrorText(std::string_view text) { return text.find("ERR") != std::string_view::npos; }

int ResultValue(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (v < INT64_C(1) << 40) v = v * 10 + (text[i] - '0');
  }
  if (negative) v = -v;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int>(v);
}

int evaluate_flat(std::string_view text, std::string* out) {
  std::string_view s = text.substr(0, kExpressionBytes);
  // Every character can be a token, and two end markers follow.
  std::array<Token, kExpressionBytes + 2> tokens;
  int count = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == ' ') continue;
    if (c == '%' || c == '/' || c == '*' || c == '-' || c == '+') {
      tokens[count++] = Token{Kind::kOperator, c, 0.0f};
      continue;
    }
    if ((c >= '0' && c <= '9') || c == '.') {
      size_t end = i;
      while (end < s.size() && ((s[end] >= '0' && s[end] <= '9') || s[end] == '.')) ++end;
      float value = ParseNumber(s.substr(i, end - i));
      i = end - 1;
      // A minus that starts the expression or follows an operator is a sign.
      while (count > 0 && IsOp(tokens[count - 1], '-') && (count == 1 || IsOperator(tokens[count - 2]))) {
        --count;
        value = -value;
      }
      tokens[count++] = Token{Kind::kNumber, 0, value};
      continue;
    }
    return Fail(out, "ERR:入力時の文字ミス"_sjv);
  }
  if (count > kMaxExpressionTokens) return Fail(out, kTooLong);
  tokens[count++] = Token{};
  tokens[count++] = Token{};
  Token* t = tokens.data();

  if (IsOp(t[0], '*') || IsOp(t[0], '/') || IsOp(t[0], '%')) {
    return Fail(out, "ERR:先頭に＊か／、％が入力されています"_sjv);
  }
  for (int i = 0; i + 1 < count; ++i) {
    if (IsNumber(t[i]) && IsNumber(t[i + 1])) return Fail(out, "ERR:数字が二つ並んでいます"_sjv);
  }

  // Pass 1: "*", "/" and "%", left to right, equal precedence.
  for (int i = 0; t[i].kind != Kind::kEnd;) {
    if (!IsOp(t[i], '*') && !IsOp(t[i], '/') && !IsOp(t[i], '%')) {
      ++i;
      continue;
    }
    char op = t[i].op;
    if (i == 0 || !IsNumber(t[i - 1]) || !IsNumber(t[i + 1])) {
      if (op == '*') return Fail(out, "ERR:掛け算の前後が数ではありません"_sjv);
      if (op == '/') return Fail(out, "ERR:割り算の前後が数ではありません"_sjv);
      return Fail(out, "ERR:剰余の前後が数ではありません"_sjv);
    }
    float left = t[i - 1].value;
    float right = t[i + 1].value;
    float result;
    if (op == '*') {
      result = left * right;
    } else if (op == '/') {
      float scaled = right * 100000.0f;
      if (std::fabs(scaled) < 1.0f) return Fail(out, "ERR:０で割っています"_sjv);
      result = left / right;
    } else {
      int32_t a = TruncateToInt32(left);
      int32_t b = TruncateToInt32(right);
      if (b == 0) return Fail(out, "ERR:０では剰余できません"_sjv);
      // The most negative integer by -1 traps the processor; the remainder is 0.
      result = b == -1 ? 0.0f : static_cast<float>(a % b);
    }
    t[i - 1].value = result;
    EraseTokens(t, &count, i, 2);
  }

  // Pass 2: a subtraction is the addition of the negated number.
  for (int i = 0; t[i].kind != Kind::kEnd; ++i) {
    if (!IsOp(t[i], '-')) continue;
    if (!IsNumber(t[i + 1])) return Fail(out, "ERR:引き算の後が数ではありません"_sjv);
    t[i + 1].value = -t[i + 1].value;
    t[i].op = '+';
  }

  // Pass 3: additions; a leading plus is ignored.
  int first = IsOp(t[0], '+') ? 1 : 0;
  for (int i = first; t[i].kind != Kind::kEnd;) {
    if (!IsOp(t[i], '+')) {
      ++i;
      continue;
    }
    if (i == 0 || !IsNumber(t[i - 1]) || !IsNumber(t[i + 1])) {
      return Fail(out, "ERR:足し算の前後が数ではありません"_sjv);
    }
    t[i - 1].value = t[i - 1].value + t[i + 1].value;
    EraseTokens(t, &count, i, 2);
  }

  if (!IsNumber(t[0]) && !IsOp(t[0], '+')) return Fail(out, "ERR:計算結果？"_sjv);
  float result = t[first].value;
  if (std::isnan(result) || result > 10000000.0f || result < -10000000.0f) {
    return Fail(out, "ERR:絶対値が１千万を超しました"_sjv);
  }
  *out = FormatResult(result);
  return 1;
}

int evaluate_expression(std::string_view text, std::string* out) {
  std::string w(text.substr(0, kExpressionBytes));
  int depth = 0;
  for (char c : w) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
  if (depth != 0) return Fail(out, "ERR:カッコの数があっていません"_sjv);

  size_t from = 0;
  for (;;) {
    size_t close = w.find(')', from);
    if (close == std::string::npos) break;
    size_t open = w.rfind('(', close);
    if (open == std::string::npos) return Fail(out, "ERR:閉じカッコの前にカッコがありません"_sjv);
    std::string inner;
    int ok = evaluate_flat(std::string_view(w).substr(open + 1, close - open - 1), &inner);
    std::string rebuilt = w.substr(0, open) + " " + inner + w.substr(close + 1);
    if (!ok) {
      out->assign("ERR:計算中に発生 -> "_sjv);
      out->append(rebuilt);
      return 0;
    }
    if (rebuilt.size() > static_cast<size_t>(kExpressionBytes)) return Fail(out, kTooLong);
    w = std::move(rebuilt);
    from = open;
  }
  return evaluate_flat(w, out);
}

int normalise_expression(const Game& g, std::string_view text, std::string* out) {
  std::string r;
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == '\t') {
      r += ' ';
      ++i;
    } else if (IsAsciiExpressionChar(c)) {
      r += c;
      ++i;
    } else if (char a = FullWidthAt(text, i)) {
      r += a;
      i += 2;
    } else {
      size_t start = i;
      while (i < text.size() && !EndsName(text, i)) i += CharLength(text, i);
      std::string_view name = text.substr(start, i - start);
      int slot = find_numeric(g, name);
      if (slot < 0) {
        out->assign("ERR:該当する "_sjv);
        out->append(name);
        out->append(" が宣言されていません"_sjv);
        return 0;
      }
      char value[32];
      std::snprintf(value, sizeof value, "(%d)", static_cast<int>(g.vars.numeric_values[slot]));
      r += value;
    }
    if (r.size() > static_cast<size_t>(kExpressionBytes)) return Fail(out, kTooLong);
  }
  *out = std::move(r);
  return 1;
}

namespace {

enum class IndexOutcome { kDone, kErrorText, kReported };

// Rewrites every name［index］ of `w`, innermost first, into name:index:.
IndexOutcome ResolveIndices(Game& g, std::string* w, std::string* out, int* last_index) {
  for (;;) {
    int close = FindText(*w, kCloseIndex);
    if (close < 0) return IndexOutcome::kDone;
    if (w->size() > static_cast<size_t>(kExpressionBytes)) {
      Fail(out, kTooLong);
      return IndexOutcome::kErrorText;
    }
    int open = FindLastText(std::string_view(*w).substr(0, close), kOpenIndex);
    if (open < 0) {
      Fail(out, "ERR:カッコ［　の数が足りません"_sjv);
      return IndexOutcome::kErrorText;
    }
    std::string_view index_text = std::string_view(*w).substr(open + 2, close - open - 2);
    std::string normal, result;
    if (!normalise_expression(g, index_text, &normal) || !evaluate_expression(normal, &result)) {
      ReportScriptError(g, "配列変数の中身が間違っています"_sjv, *w);
      out->clear();
      return IndexOutcome::kReported;
    }
    *last_index = ResultValue(result);
    *w = w->substr(0, open) + ":" + std::to_string(*last_index) + ":" + w->substr(close + 2);
    if (w->size() > static_cast<size_t>(kExpressionBytes)) {
      Fail(out, kTooLong);
      return IndexOutcome::kErrorText;
    }
  }
}

}  // namespace

int resolve_array_indices(Game& g, std::string_view text, std::string* out) {
  if (FindText(text, kOpenIndex) < 0 && FindText(text, kCloseIndex) < 0) return normalise_expression(g, text, out);
  std::string w(text);
  int last_index = 0;
  if (ResolveIndices(g, &w, out, &last_index) != IndexOutcome::kDone) return 0;
  return normalise_expression(g, w, out);
}

int resolve_array_name(Game& g, std::string_view text, std::string* out) {
  std::string w(text);
  int last_index = 0;
  IndexOutcome outcome = ResolveIndices(g, &w, out, &last_index);
  if (outcome == IndexOutcome::kErrorText) ReportScriptError(g, "配列変数の中身が間違っています"_sjv, text);
  if (outcome != IndexOutcome::kDone) {
    out->clear();
    return -1;
  }
  *out = std::move(w);
  return last_index;
}

int EvaluateArgument(Game& g, std::string_view text, std::string_view detail, int* value) {
  std::string normal, result;
  if (!resolve_array_indices(g, text, &normal)) {
    if (!normal.empty()) ReportScriptError(g, normal, detail);
    return 0;
  }
  if (!evaluate_expression(normal, &result)) {
    ReportScriptError(g, result, detail);
    return 0;
  }
  *value = ResultValue(result);
  return 1;
}

}  // namespace piko
