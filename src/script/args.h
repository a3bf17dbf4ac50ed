// How a command reads its arguments. A command's options are words
// anywhere on its own line; its arguments stand on the lines that follow,
// one per line. Each Next* call moves the line counter onto the next line
// and reads it, so that the counter always ends on the last line read and
// the Frame tick's step then passes it.
#pragma once

#include <string>
#include <string_view>

namespace piko {

struct Game;

class Args {
 public:
  explicit Args(Game& g);

  // The command's own line.
  std::string_view Command() const { return command_; }
  // The word stands in the command line, found character by character
  // (never across a two-byte character).
  bool Has(std::string_view word) const;
  // The same as a plain byte search, for the commands that searched so.
  bool HasBytes(std::string_view word) const;

  // The next line.
  std::string Next();
  // A line after the last one read (1: the next), without moving onto it.
  std::string_view Peek(int ahead = 1) const;
  // Moves onto the next lines without reading them (the empty line that
  // ends a block, or lines read with Peek).
  void Skip(int lines = 1);
  // A block of lines ends at an empty line or at the end of the scenario:
  // moves onto the next line and reads it while the block goes on.
  bool NextInBlock(std::string* line);
  // The next line as a number: evaluated, and on a fault reported with the
  // line as its detail; then false.
  bool NextValue(int* value);
  // The same after "＃（ ）＃" substitution (picture positions).
  bool NextSubstitutedValue(int* value);
  // Evaluates a line already read, as NextValue does.
  bool Value(std::string_view line, int* value);
  bool SubstitutedValue(std::string_view line, int* value);

 private:
  Game& g_;
  std::string command_;
};

}  // namespace piko
