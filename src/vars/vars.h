// Variables and expressions: the evaluator, numeric variables and arrays,
// string variables and substitution, and the numeric utility commands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace piko {

struct Game;

// The old player's table sizes; saves and scripts depend on them.
inline constexpr int kNumericSlots = 10200;
inline constexpr int kMaxNumericTotal = 10000;
inline constexpr int kNumericBuckets = 5000;
inline constexpr int kVariableNameBytes = 55;  // 54 bytes and the terminator
inline constexpr int kMaxVariableNameLength = 50;
inline constexpr int kStringSlots = 900;
inline constexpr int kMaxStringVariables = 500;
inline constexpr int kStringValueBytes = 105;  // 104 bytes and the terminator
inline constexpr int kMaxStringValueLength = 104;
// Expression texts are examined and built in windows of this many bytes.
inline constexpr int kExpressionBytes = 255;
inline constexpr int kMaxExpressionTokens = 200;

struct VarsState {
  // Numeric variables: keys in declaration order (an array element's key is
  // "name:index:"), their values, and a hash index over the keys.
  char numeric_keys[kNumericSlots][kVariableNameBytes] = {};
  int32_t numeric_values[kNumericSlots] = {};
  int numeric_count = 0;
  int16_t numeric_bucket_heads[kNumericBuckets];  // -1: empty bucket
  int16_t numeric_links[kNumericSlots];           // -1: end of chain

  // String variables; no index, they are few.
  char string_names[kStringSlots][kVariableNameBytes] = {};
  char string_values[kStringSlots][kStringValueBytes] = {};
  int string_count = 0;

  int numeric_decl_mode = 0;
  int string_decl_mode = 0;
  int save_load_used = 0;  // set by a save or load; later declarations are refused

  // The C run-time's random generator ("＃ランダム", "＃切り直し", random
  // animation): the same sequence for the same seed.
  uint32_t random_state = 1;

  VarsState();
};

// ---- Random numbers ----
// srand and rand of the C run-time the games were made with:
// state * 214013 + 2531011, bits 16 to 30.
void SeedRandom(Game& g, uint32_t seed);
int NextRandom(Game& g);

// ---- Expression evaluator ----
// Results travel as text: a "%f" number on success, a text containing "ERR"
// on a fault (the message to report). Each returns 1 on success and 0 on a
// fault; `out` then holds the "ERR" text, or is empty when the fault has
// already been reported (a wrong array index).

// Replaces every array reference name［index］ by its key name:index:, then
// normalises the text.
int resolve_array_indices(Game& g, std::string_view text, std::string* out);
// Script text to a plain ASCII expression, each variable replaced by its
// value in brackets.
int normalise_expression(const Game& g, std::string_view text, std::string* out);
// Round brackets innermost first, then the flat evaluation.
int evaluate_expression(std::string_view text, std::string* out);
// An ASCII expression without brackets.
int evaluate_flat(std::string_view text, std::string* out);
// The element key of a reference that may hold an index in "［" "］".
// Returns the last index (0 for a plain name), or -1 after reporting a fault.
int resolve_array_name(Game& g, std::string_view text, std::string* out);

// True when an evaluator text is a fault.
bool IsErrorText(std::string_view text);
// The integer part of a result text, truncated toward zero (atoi).
int ResultValue(std::string_view text);
// The usual order for a numeric argument: resolve, evaluate, take the
// integer part. A fault is reported with `detail`; returns 1/0.
int EvaluateArgument(Game& g, std::string_view text, std::string_view detail, int* value);

// ---- Numeric variables ----
// Slot of a key, or -1.
int find_numeric(const Game& g, std::string_view key);
void declare_numeric(Game& g, std::string_view line);
void assign_numeric_line(Game& g);
void rebuild_numeric_index(Game& g);

// ---- String variables and substitution ----
int find_string(const Game& g, std::string_view name);
void declare_string(Game& g, std::string_view line);
void assign_string_command(Game& g);
// Number references "＃（expression）＃" and then string references
// "”（name）”". Mode 1 writes numbers plainly, mode 2 right-aligned in eight
// columns. Returns 1, or 0 after a report (out is then empty: draw nothing).
int substitute_text(Game& g, std::string_view text, int mode, std::string* out);
int substitute_strings(Game& g, std::string_view text, std::string* out);
// Stores a text into a string variable's slot, cut to 104 bytes on a
// character boundary.
void SetStringValue(Game& g, int slot, std::string_view text);

// Entry points.
// Start-up and the restart of the start scenario: both tables, the hash
// index and the save/load mark (the script declares its variables again).
void ClearAllVariables(Game& g);
// Both tables and the hash index only; a load replaces the tables with it
// and keeps the save/load mark.
void ClearVariableTables(Game& g);
// The hash index emptied.
void ResetArrayTables(Game& g);
void StoreClickPosition(Game& g, int x, int y);
// The variable dump of the headless player: "numeric KEY VALUE" per numeric
// slot in slot order, then "string NAME VALUE"; CP932 text, one a line.
void WriteVariableDump(const Game& g, std::string* out);

}  // namespace piko
