#include "platform/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/sjis.h"

namespace piko {

namespace {

bool EntryExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// ASCII letters fold; bytes of two-byte CP932 characters do not.
bool EqualIgnoringCase(std::string_view a, std::string_view b, bool sjis) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]);
    unsigned char cb = static_cast<unsigned char>(b[i]);
    if (sjis && IsLeadByte(ca)) {
      if (i + 1 >= a.size() || ca != cb || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
    if (ca != cb) return false;
  }
  return true;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir == "/") return "/" + name;
  return dir + "/" + name;
}

// Finds one component in `dir` (empty: the current directory).
std::string ResolveComponent(const std::string& dir, std::string_view component_sjis) {
  std::string sjis(component_sjis);
  if (sjis == "." || sjis == "..") return Join(dir, sjis);
  std::string utf8 = Utf8FromSjis(sjis);
  if (EntryExists(Join(dir, sjis))) return Join(dir, sjis);
  if (EntryExists(Join(dir, utf8))) return Join(dir, utf8);
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (d) {
    std::string found;
    while (struct dirent* e = ::readdir(d)) {
      std::string_view n(e->d_name);
      if (EqualIgnoringCase(n, sjis, true) || EqualIgnoringCase(n, utf8, false)) {
        found = e->d_name;
        break;
      }
    }
    ::closedir(d);
    if (!found.empty()) return Join(dir, found);
  }
  return Join(dir, utf8);
}

}  // namespace

int GetTextModeByte(FILE* f) {
  int c = std::getc(f);
  if (c == 0x1A) {
    // The end stays the end: later calls must not read past it.
    std::fseek(f, 0, SEEK_END);
    return EOF;
  }
  if (c == 0x0D) {
    int next = std::getc(f);
    if (next == 0x0A) return 0x0A;
    if (next != EOF) std::ungetc(next, f);
  }
  return c;
}

std::string SlashesFromBackslashes(std::string_view name) {
  std::string out(name);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (IsLeadByte(c)) {
      ++i;  // the trail byte may be 0x5C and is not a separator
      continue;
    }
    if (c == '\\') out[i] = '/';
  }
  return out;
}

std::string ResolveGamePath(std::string_view name_sjis) {
  std::string name = SlashesFromBackslashes(name_sjis);
  std::string path;
  size_t pos = 0;
  if (!name.empty() && name[0] == '/') {
    path = "/";
    pos = 1;
  }
  while (pos <= name.size()) {
    size_t slash = name.find('/', pos);
    if (slash == std::string::npos) slash = name.size();
    std::string_view comp(name.data() + pos, slash - pos);
    if (!comp.empty()) path = ResolveComponent(path, comp);
    pos = slash + 1;
  }
  return path;
}

int ProbeGamePath(std::string_view name_sjis) {
  if (name_sjis.empty()) return 0;
  std::string path = ResolveGamePath(name_sjis);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return 0;
  return S_ISDIR(st.st_mode) ? 1 : 2;
}

FILE* OpenGameFile(std::string_view name_sjis, const char* mode) {
  if (name_sjis.empty()) return nullptr;
  std::string path = ResolveGamePath(name_sjis);
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
  return std::fopen(path.c_str(), mode);
}

bool DeleteGameFile(std::string_view name_sjis) {
  if (name_sjis.empty()) return false;
  return ::unlink(ResolveGamePath(name_sjis).c_str()) == 0;
}

bool RenameGameFile(std::string_view from_sjis, std::string_view to_sjis) {
  return std::rename(ResolveGamePath(from_sjis).c_str(), ResolveGamePath(to_sjis).c_str()) == 0;
}

bool ListGameFolder(std::string_view folder_sjis, std::vector<FolderEntry>* entries) {
  entries->clear();
  std::string path = ResolveGamePath(folder_sjis);
  DIR* d = ::opendir(path.empty() ? "." : path.c_str());
  if (!d) return false;
  std::vector<FolderEntry> found;
  while (struct dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    FolderEntry entry;
    entry.is_folder = ::stat(Join(path, name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    // A name that reads as UTF-8 was converted by whatever unpacked the
    // game; any other is taken as the CP932 it was.
    std::string sjis = SjisFromUtf8(name);
    entry.name = Utf8FromSjis(sjis) == name ? sjis : name;
    found.push_back(std::move(entry));
  }
  ::closedir(d);
  auto folded = [](const std::string& s) {
    std::string out = s;
    for (size_t i = 0; i < out.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(out[i]);
      if (IsLeadByte(c)) {
        ++i;
      } else if (c >= 'a' && c <= 'z') {
        out[i] = static_cast<char>(c - 32);
      }
    }
    return out;
  };
  std::sort(found.begin(), found.end(),
            [&](const FolderEntry& a, const FolderEntry& b) { return folded(a.name) < folded(b.name); });
  entries->push_back({".", true});
  entries->push_back({"..", true});
  entries->insert(entries->end(), found.begin(), found.end());
  return true;
}

}  // namespace piko
