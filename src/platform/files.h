// Files as the games name them. Scripts were written on Windows: "\" between
// folders, names in any letter case, and the files on disk may carry CP932
// names or names converted to UTF-8 by whatever unpacked the game. Every open
// and every existence test of a game file goes through ResolveGamePath.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace piko {

// Turns a game's CP932 file name into the path to use on disk. Each folder
// and the file itself are matched against the directory entries: first the
// exact CP932 spelling, then the UTF-8 spelling, then either without regard
// to ASCII letter case. A component that matches nothing is spelled in UTF-8
// (the name a new file gets). Relative names are relative to the current
// directory, which is the game folder.
std::string ResolveGamePath(std::string_view name_sjis);

// 0 when nothing of that name exists, 1 for a folder, 2 for a file.
int ProbeGamePath(std::string_view name_sjis);

FILE* OpenGameFile(std::string_view name_sjis, const char* mode);
bool DeleteGameFile(std::string_view name_sjis);
bool RenameGameFile(std::string_view from_sjis, std::string_view to_sjis);

// FindFirstFileA and FindNextFileA over "FOLDER\*.*": the entries' names
// in CP932, "." and ".." first as Windows gives them, then the rest in name
// order. False when the folder cannot be read.
struct FolderEntry {
  std::string name;
  bool is_folder = false;
};
bool ListGameFolder(std::string_view folder_sjis, std::vector<FolderEntry>* entries);

// The next byte of a file opened in binary mode, as the C library's text
// mode on Windows delivered it: a CR LF pair arrives as one LF, and a 0x1A
// ends the file. EOF at the end.
int GetTextModeByte(FILE* f);

// Splits at real backslashes (never the second byte of a two-byte
// character) and at "/", giving "/"-separated CP932 text.
std::string SlashesFromBackslashes(std::string_view name_sjis);

}  // namespace piko
