// The keyword table of the command dispatcher, as data: each row names the
// keyword, the handler and the handler's name. Rows are tested in order and
// the first keyword that begins the line wins, so every keyword stands
// before each shorter keyword that is a prefix of it.
#pragma once

#include <span>
#include <string_view>

namespace piko {

struct Game;

using CommandHandler = void (*)(Game&);
using CommandHandlerWithArg = void (*)(Game&, int);

// A row either calls a plain handler, or a handler with the row's argument:
// the variant the keyword names (which layer, which partial picture, which
// back-screen layer), so that handlers never re-read their own keyword.
struct KeywordEntry {
  int row;              // row of the table, 1 to 89
  const char* keyword;  // CP932; null for the assignment row (a line containing "＝")
  CommandHandler handler;
  CommandHandlerWithArg handler_with_arg;
  int arg;
  const char* handler_name;  // for diagnostics and tests
};

// Calls the row's handler.
void RunCommand(Game& g, const KeywordEntry& entry);

std::span<const KeywordEntry> KeywordTable();

// The entry that takes the line, or null when none does.
const KeywordEntry* FindKeyword(std::string_view line);

}  // namespace piko
