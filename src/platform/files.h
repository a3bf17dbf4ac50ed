// Files as the games name them, rooted at the game folder. Scripts were
// written on Windows: "\" between folders, names in any letter case, and the
// files on disk may carry CP932 names or names converted to UTF-8 by
// whatever unpacked the game. A game folder is data written by strangers, so
// nothing a script names may reach outside it: every open, existence test,
// deletion and rename of a game file goes through GameFiles.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace piko {

// FindFirstFileA and FindNextFileA over "FOLDER\*.*".
struct FolderEntry {
  std::string name;
  bool is_folder = false;
};

// What a name stands for on disk. Nothing, or a name that is refused, is
// kMissing.
enum class PathKind { kMissing, kFolder, kFile };

class GameFiles {
 public:
  enum class Access { kRead, kWrite };
  enum class WriteResult { kDone, kOpenFailed, kWriteFailed, kCloseFailed };

  // `root` is the game folder; empty means the current directory (the
  // player makes the game folder its current directory).
  explicit GameFiles(std::string root = "") : root_(std::move(root)) {}

  // The rare game that shares files with a sibling folder may read outside
  // its own (--allow-outside); writes stay inside whatever this says.
  void set_allow_outside_reads(bool allow) { allow_outside_reads_ = allow; }
  bool allow_outside_reads() const { return allow_outside_reads_; }

  // The game folder as an absolute path in CP932 (what GetCurrentDirectory
  // gave the old player); empty when it cannot be had.
  std::string FolderPath() const;

  // A game's CP932 file name to the path to use on disk, or "" when the name
  // is refused: a drive letter, a path from the root that does not lie in
  // the game folder, ".." steps that leave it, and for writing a symbolic
  // link that leads out of it. Each folder and the file itself are matched
  // against the directory entries: first the exact CP932 spelling, then the
  // UTF-8 spelling, then either without regard to ASCII letter case. A
  // component that matches nothing is spelled in UTF-8 (the name a new file
  // gets).
  std::string Resolve(std::string_view name_sjis, Access access) const;

  PathKind Probe(std::string_view name_sjis) const;
  // fopen; a mode with 'w', 'a' or '+' is a write. Null for a folder.
  FILE* Open(std::string_view name_sjis, const char* mode) const;
  bool Delete(std::string_view name_sjis) const;
  bool Rename(std::string_view from_sjis, std::string_view to_sjis) const;
  // The entries' names in CP932, "." and ".." first as Windows gives them,
  // then the rest in name order. False when the folder cannot be read.
  bool List(std::string_view folder_sjis, std::vector<FolderEntry>* entries) const;

  // Writes the bytes as the whole of a new file and puts them on the disk
  // (fsync) before closing; a file left incomplete is deleted.
  WriteResult WriteSynced(std::string_view name_sjis, std::string_view bytes) const;
  // Puts the complete file `fresh` in the place of `target` in one step, so
  // that `target` is always either the old or the new file.
  bool Replace(std::string_view fresh_sjis, std::string_view target_sjis) const;

 private:
  // Resolve, saying also whether some part of the name matched nothing (so
  // that nothing need be asked of the path).
  std::string Resolve(std::string_view name_sjis, Access access, bool* missing) const;
  std::string PhysicalRoot() const;
  bool LeadsOutside(const std::string& path) const;
  std::string root_;
  bool allow_outside_reads_ = false;
};

// The game files the engine's file calls use; the player sets the folder up
// at start-up. Until then, the current directory, confined.
GameFiles& CurrentGameFiles();

// The engine's names for the calls of CurrentGameFiles().
std::string ResolveGamePath(std::string_view name_sjis);  // for reading
PathKind ProbeGamePath(std::string_view name_sjis);
FILE* OpenGameFile(std::string_view name_sjis, const char* mode);
bool DeleteGameFile(std::string_view name_sjis);
bool RenameGameFile(std::string_view from_sjis, std::string_view to_sjis);
bool ListGameFolder(std::string_view folder_sjis, std::vector<FolderEntry>* entries);

// The next byte of a file opened in binary mode, as the C library's text
// mode on Windows delivered it: a CR LF pair arrives as one LF, and a 0x1A
// ends the file. EOF at the end.
int GetTextModeByte(FILE* f);

// Splits at real backslashes (never the second byte of a two-byte
// character) and at "/", giving "/"-separated CP932 text.
std::string SlashesFromBackslashes(std::string_view name_sjis);

}  // namespace piko
