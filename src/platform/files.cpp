#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
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

// The names in a folder, in the order the system gives them; false when it
// cannot be read.
bool ReadNames(const char* path, std::vector<std::string>* names) {
  names->clear();
  DIR* d = ::opendir(path);
  if (!d) return false;
  while (struct dirent* e = ::readdir(d)) names->emplace_back(e->d_name);
  ::closedir(d);
  return true;
}

// Folder listings for the names an exact lookup misses: another letter case,
// the other spelling, or no such file. Scanning the folder for each of those
// cost more than all else a picture command does, and a game asks for
// missing names all the time (a JPEG before the BMP, a save not yet made).
// A listing is kept until the system reports a change to any folder listed
// (inotify); without inotify every miss scans. Folders are known by device
// and inode, so a listing stays right when the current directory changes.
class FolderListings {
 public:
  static FolderListings& Get() {
    static FolderListings* listings = new FolderListings();  // never destroyed: used until exit
    return *listings;
  }

  // The entry of `dir` named `utf8` exactly, or else the first named `sjis`
  // or `utf8` without regard to ASCII letter case, into `found`; "" when
  // there is none. False when the folder cannot be read.
  bool Find(const std::string& dir, std::string_view sjis, std::string_view utf8, std::string* found) {
    found->clear();
    const char* path = dir.empty() ? "." : dir.c_str();
    std::lock_guard lock(mutex_);
    DropChanged();
    const std::vector<std::string>* names = Cached(path);
    std::vector<std::string> scanned;
    if (!names) {
      if (!ReadNames(path, &scanned)) return false;
      names = &scanned;
    }
    for (const std::string& n : *names) {
      if (n == utf8) return *found = n, true;
    }
    for (const std::string& n : *names) {
      if (EqualIgnoringCase(n, sjis, true) || EqualIgnoringCase(n, utf8, false)) return *found = n, true;
    }
    return true;
  }

 private:
  using Key = std::pair<dev_t, ino_t>;
  static constexpr uint32_t kChanges =
      IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

  FolderListings() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

  static bool KeyOf(const char* path, Key* key) {
    struct stat st;
    if (::stat(path, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    *key = {st.st_dev, st.st_ino};
    return true;
  }

  // Any change reported drops every listing: games seldom write, and a
  // folder renamed changes what the names under it lead to.
  void DropChanged() {
    if (fd_ < 0) return;
    alignas(struct inotify_event) char events[4096];
    while (::read(fd_, events, sizeof events) > 0) listings_.clear();
  }

  // The listing of the folder at `path`, made now if need be; null when the
  // folder cannot be watched.
  const std::vector<std::string>* Cached(const char* path) {
    Key key;
    if (fd_ < 0 || !KeyOf(path, &key)) return nullptr;
    auto it = listings_.find(key);
    if (it != listings_.end()) return &it->second;
    // Watched before it is read, so that no change after the read goes
    // unseen; kept only if the path still leads to the same folder.
    if (::inotify_add_watch(fd_, path, kChanges) < 0) return nullptr;
    std::vector<std::string> names;
    Key again;
    if (!ReadNames(path, &names) || !KeyOf(path, &again) || again != key) return nullptr;
    return &(listings_[key] = std::move(names));
  }

  std::mutex mutex_;
  int fd_;
  std::map<Key, std::vector<std::string>> listings_;
};

// Finds one component in `dir` (empty: the current directory). `*missing`
// says that an earlier component matched nothing: nothing lies below it, so
// the rest are spelled in UTF-8 without looking; it is set when this one
// matches nothing.
std::string ResolveComponent(const std::string& dir, std::string_view component_sjis, bool* missing) {
  std::string sjis(component_sjis);
  if (sjis == "." || sjis == "..") return Join(dir, sjis);
  if (*missing) return Join(dir, Utf8FromSjis(sjis));
  if (EntryExists(Join(dir, sjis))) return Join(dir, sjis);
  std::string utf8 = Utf8FromSjis(sjis);
  std::string found;
  if (!FolderListings::Get().Find(dir, sjis, utf8, &found)) {
    // A folder that may be searched but not read: only exact names are known.
    *missing = !EntryExists(Join(dir, utf8));
    return Join(dir, utf8);
  }
  *missing = found.empty();
  return Join(dir, *missing ? utf8 : found);
}

// Every component in turn, from `path` on; `*missing` says that one of them
// matched nothing.
std::string ResolveComponents(std::string path, const std::vector<std::string>& parts, bool* missing) {
  *missing = false;
  for (const std::string& part : parts) path = ResolveComponent(path, part, missing);
  return path;
}

// The non-empty components of a "/"-separated name.
std::vector<std::string> SplitComponents(std::string_view name) {
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos <= name.size()) {
    size_t slash = name.find('/', pos);
    if (slash == std::string_view::npos) slash = name.size();
    if (slash > pos) parts.emplace_back(name.substr(pos, slash - pos));
    pos = slash + 1;
  }
  return parts;
}

}  // namespace

int GetTextModeByte(FILE* f) {
  int c = getc_unlocked(f);
  if (c == 0x1A) {
    // The end stays the end: later calls must not read past it.
    std::fseek(f, 0, SEEK_END);
    return EOF;
  }
  if (c == 0x0D) {
    int next = getc_unlocked(f);
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

std::string GameFiles::FolderPath() const {
  std::string physical = PhysicalRoot();
  return physical.empty() ? physical : SjisFromUtf8(physical);
}

std::string GameFiles::PhysicalRoot() const {
  char* real = ::realpath(root_.empty() ? "." : root_.c_str(), nullptr);
  if (!real) return {};
  std::string out(real);
  std::free(real);
  return out;
}

// True when writing to `path` would reach a file outside the game folder:
// through a symbolic link among its folders, or through the file itself
// being a link that leads out (or nowhere yet, to be made wherever it says).
bool GameFiles::LeadsOutside(const std::string& path) const {
  const std::string root = PhysicalRoot();
  if (root.empty()) return true;
  auto inside = [&](const char* real) {
    std::string_view r(real);
    return r == root ||
           (r.size() > root.size() && r.substr(0, root.size()) == root && (root == "/" || r[root.size()] == '/'));
  };
  std::string existing = path;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    size_t slash = path.rfind('/');
    existing = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  }
  char* real = ::realpath(existing.c_str(), nullptr);
  if (!real) return true;
  bool out = !inside(real);
  std::free(real);
  return out;
}

std::string GameFiles::Resolve(std::string_view name_sjis, Access access) const {
  bool missing;
  return Resolve(name_sjis, access, &missing);
}

std::string GameFiles::Resolve(std::string_view name_sjis, Access access, bool* missing) const {
  *missing = true;
  if (name_sjis.empty()) return {};
  const bool outside_ok = access == Access::kRead && allow_outside_reads_;
  std::string name = SlashesFromBackslashes(name_sjis);
  // A drive letter names nothing here.
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) return {};

  std::string relative = name;
  if (name[0] == '/') {
    // The old player made many names from the game folder's own path.
    std::string folder = FolderPath();
    if (!folder.empty() &&
        (name == folder || (name.size() > folder.size() && name.compare(0, folder.size(), folder) == 0 &&
                            (folder == "/" || name[folder.size()] == '/')))) {
      relative = name.substr(folder.size());
    } else if (outside_ok) {
      return ResolveComponents("/", SplitComponents(name), missing);
    } else {
      return {};
    }
  }

  // ".." steps are taken by name, as Windows takes them: a step back from
  // a folder reached through a link lands where the name says.
  std::vector<std::string> parts;
  for (std::string& part : SplitComponents(relative)) {
    if (part == ".") continue;
    if (part != "..") {
      parts.push_back(std::move(part));
    } else if (!parts.empty()) {
      parts.pop_back();
    } else if (outside_ok) {
      parts.push_back(std::move(part));  // allowed out: the step stays
    } else {
      return {};
    }
  }
  std::string path = ResolveComponents(root_, parts, missing);
  if (path.empty()) path.push_back('.');
  if (access == Access::kWrite && LeadsOutside(path)) return {};
  return path;
}

PathKind GameFiles::Probe(std::string_view name_sjis) const {
  bool missing;
  std::string path = Resolve(name_sjis, Access::kRead, &missing);
  struct stat st;
  if (missing || ::stat(path.c_str(), &st) != 0) return PathKind::kMissing;
  return S_ISDIR(st.st_mode) ? PathKind::kFolder : PathKind::kFile;
}

FILE* GameFiles::Open(std::string_view name_sjis, const char* mode) const {
  const bool writes = std::strpbrk(mode, "wa+") != nullptr;
  bool missing;
  std::string path = Resolve(name_sjis, writes ? Access::kWrite : Access::kRead, &missing);
  if (path.empty() || (missing && !writes)) return nullptr;
  FILE* f = std::fopen(path.c_str(), mode);
  if (!f) return nullptr;
  // Tested on the open file: a file replaced by a folder between an
  // existence test and this open is not read as one.
  struct stat st;
  if (::fstat(::fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

bool GameFiles::Delete(std::string_view name_sjis) const {
  std::string path = Resolve(name_sjis, Access::kWrite);
  return !path.empty() && ::unlink(path.c_str()) == 0;
}

bool GameFiles::Rename(std::string_view from_sjis, std::string_view to_sjis) const {
  std::string from = Resolve(from_sjis, Access::kWrite);
  std::string to = Resolve(to_sjis, Access::kWrite);
  return !from.empty() && !to.empty() && std::rename(from.c_str(), to.c_str()) == 0;
}

GameFiles::WriteResult GameFiles::WriteSynced(std::string_view name_sjis, std::string_view bytes) const {
  FILE* f = Open(name_sjis, "wb");
  if (!f) return WriteResult::kOpenFailed;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0;
  // Complete means on the disk, not only handed to the system.
  bool synced = written && ::fsync(::fileno(f)) == 0;
  bool closed = std::fclose(f) == 0;
  if (written && synced && closed) return WriteResult::kDone;
  Delete(name_sjis);
  return written ? WriteResult::kCloseFailed : WriteResult::kWriteFailed;
}

bool GameFiles::Replace(std::string_view fresh_sjis, std::string_view target_sjis) const {
  std::string fresh = Resolve(fresh_sjis, Access::kWrite);
  std::string target = Resolve(target_sjis, Access::kWrite);
  if (fresh.empty() || target.empty() || std::rename(fresh.c_str(), target.c_str()) != 0) return false;
  // The rename itself is on the disk once the folder is.
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

bool GameFiles::List(std::string_view folder_sjis, std::vector<FolderEntry>* entries) const {
  entries->clear();
  std::string path = folder_sjis.empty() ? (root_.empty() ? "." : root_) : Resolve(folder_sjis, Access::kRead);
  if (path.empty()) return false;
  DIR* d = ::opendir(path.c_str());
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

GameFiles& CurrentGameFiles() {
  static GameFiles files;
  return files;
}

std::string ResolveGamePath(std::string_view name_sjis) {
  return CurrentGameFiles().Resolve(name_sjis, GameFiles::Access::kRead);
}
PathKind ProbeGamePath(std::string_view name_sjis) { return CurrentGameFiles().Probe(name_sjis); }
FILE* OpenGameFile(std::string_view name_sjis, const char* mode) { return CurrentGameFiles().Open(name_sjis, mode); }
bool DeleteGameFile(std::string_view name_sjis) { return CurrentGameFiles().Delete(name_sjis); }
bool RenameGameFile(std::string_view from_sjis, std::string_view to_sjis) {
  return CurrentGameFiles().Rename(from_sjis, to_sjis);
}
bool ListGameFolder(std::string_view folder_sjis, std::vector<FolderEntry>* entries) {
  return CurrentGameFiles().List(folder_sjis, entries);
}

}  // namespace piko
