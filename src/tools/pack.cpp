#include "tools/pack.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "audio/mpeg/sp3_scramble.h"
#include "base/sjis.h"
#include "gfx/picture_codecs.h"
#include "platform/audio_sources.h"
#include "platform/bitmap.h"
#include "script/script.h"

namespace piko {

namespace fs = std::filesystem;

namespace {

std::string StripBom(const std::string& s) {
  if (s.size() >= 3 && s.compare(0, 3, "\xEF\xBB\xBF") == 0) return s.substr(3);
  return s;
}

// Splits at LF, dropping a CR before it.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  lines.push_back(line);
  return lines;
}

std::string ConvertLines(const std::string& utf8, const char* eol, std::vector<std::string>* warnings) {
  std::vector<std::string> lines = SplitLines(StripBom(utf8));
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string sjis = SjisFromUtf8(lines[i]);
    if (warnings && Utf8FromSjis(sjis) != lines[i]) {
      warnings->push_back("line " + std::to_string(i + 1) + " has characters that Shift-JIS cannot hold");
    }
    out += sjis;
    if (i + 1 < lines.size()) out += eol;
  }
  return out;
}

std::string ReadAll(const fs::path& p, bool* ok) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  *ok = static_cast<bool>(in) || in.eof();
  return s.str();
}

bool WriteAll(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

struct Kind {
  const char* authoring;  // extension in the authoring folder
  const char* game;       // extension in the game folder
  enum Form { kScenario, kPlainText, kScrambled, kMp3Scrambled, kAsStored } form;
};

constexpr Kind kKinds[] = {
    {".scn", ".st1", Kind::kScenario},  {".txt", ".txt", Kind::kPlainText}, {".ini", ".ini", Kind::kPlainText},
    {".bmp", ".sb1", Kind::kAsStored},  {".jpg", ".sj1", Kind::kScrambled}, {".jpeg", ".sj1", Kind::kScrambled},
    {".wav", ".sw1", Kind::kAsStored},  {".mid", ".sm1", Kind::kAsStored},  {".mp3", ".sp3", Kind::kMp3Scrambled},
    // Movies play as they are, whatever their format.
    {".mpg", ".sa1", Kind::kAsStored},  {".mpeg", ".sa1", Kind::kAsStored}, {".avi", ".sa1", Kind::kAsStored},
    {".mov", ".sa1", Kind::kAsStored},  {".asf", ".sa1", Kind::kAsStored},  {".wmv", ".sa1", Kind::kAsStored},
};

}  // namespace

std::string PackScenario(const std::string& utf8, std::vector<std::string>* warnings) {
  std::string out = ConvertLines(utf8, "\n", warnings);
  ScrambleBytes(&out);
  return out;
}

std::string UnpackScenario(const std::string& stored) {
  std::string sjis = stored;
  ScrambleBytes(&sjis);
  return Utf8FromSjis(sjis);
}

std::string PackPlainText(const std::string& utf8, std::vector<std::string>* warnings) {
  return ConvertLines(utf8, "\r\n", warnings);
}

std::string UnpackPlainText(const std::string& sjis) {
  std::string out;
  for (std::string& line : SplitLines(sjis)) out += Utf8FromSjis(line) + "\n";
  if (!out.empty()) out.pop_back();
  return out;
}

std::vector<std::string> CheckAuthoringText(const std::string& utf8, bool scenario) {
  std::vector<std::string> problems;
  std::vector<std::string> lines = SplitLines(StripBom(utf8));
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    std::string where = std::to_string(i + 1);
    size_t stored = 0;
    int column = 0;
    for (size_t p = 0; p < line.size();) {
      size_t n = 1;
      unsigned char c = static_cast<unsigned char>(line[p]);
      if (c >= 0xF0)
        n = 4;
      else if (c >= 0xE0)
        n = 3;
      else if (c >= 0xC0)
        n = 2;
      n = std::min(n, line.size() - p);
      std::string ch = line.substr(p, n);
      p += n;
      ++column;
      if (ch == "\t") continue;  // the loader drops tabs
      std::string sjis = SjisFromUtf8(ch);
      if (Utf8FromSjis(sjis) != ch) {
        problems.push_back(where + ":" + std::to_string(column) + ": \"" + ch +
                           "\" has no Shift-JIS (CP932) code; the player cannot show it");
      }
      stored += sjis.size();
    }
    if (scenario && stored > static_cast<size_t>(kMaxLineBytes)) {
      problems.push_back(where + ": the line is " + std::to_string(stored) +
                         " bytes in Shift-JIS; the player accepts at most 94 (47 full-width characters)");
    }
  }
  if (scenario && lines.size() > static_cast<size_t>(kMaxLineEnds)) {
    problems.push_back(std::to_string(kMaxLineEnds + 1) + ": the scenario has " + std::to_string(lines.size()) +
                       " lines; the player accepts fewer than 4501: split it with ＃別シナリオ");
  }
  return problems;
}

namespace {

bool Inside(const fs::path& inner, const fs::path& outer) {
  auto [a, b] = std::mismatch(inner.begin(), inner.end(), outer.begin(), outer.end());
  return b == outer.end();
}

fs::path Canonical(const std::string& p) {
  std::error_code ec;
  fs::path c = fs::weakly_canonical(fs::absolute(p, ec), ec);
  // A trailing separator leaves an empty last element; drop it.
  if (!c.empty() && c.filename().empty()) c = c.parent_path();
  return c;
}

}  // namespace

std::string CheckFolderPair(const std::string& src, const std::string& dst) {
  std::error_code ec;
  if (!fs::is_directory(src, ec)) return "not a folder: " + src;
  fs::path a = Canonical(src), b = Canonical(dst);
  if (a == b) return "OUT is SRC (" + a.string() + "): give a new folder for the game";
  if (Inside(b, a)) return "OUT (" + b.string() + ") lies inside SRC (" + a.string() + "): give a folder outside it";
  if (Inside(a, b)) return "SRC (" + a.string() + ") lies inside OUT (" + b.string() + "): give a folder outside it";
  return "";
}

namespace {

enum class PictureKind { kBmp, kJpeg, kPng, kUnknown };

PictureKind SniffPicture(const std::string& b) {
  if (b.compare(0, 2, "BM") == 0 || b.compare(0, 4, "OHBM") == 0) return PictureKind::kBmp;
  if (b.size() >= 2 && static_cast<unsigned char>(b[0]) == 0xFF && static_cast<unsigned char>(b[1]) == 0xD8) {
    return PictureKind::kJpeg;
  }
  if (b.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0) return PictureKind::kPng;
  return PictureKind::kUnknown;
}

constexpr const char* kPictureExtensions[] = {".bmp", ".jpg",  ".jpeg", ".png", ".gif", ".webp",
                                              ".tif", ".tiff", ".tga",  ".ppm", ".pcx"};

bool IsPictureExtension(const std::string& ext) {
  return std::find_if(std::begin(kPictureExtensions), std::end(kPictureExtensions),
                      [&](const char* e) { return ext == e; }) != std::end(kPictureExtensions);
}

void PutLe(std::string* out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A PNG as a bottom-up 24-bit BMP; translucent pixels are laid over white,
// the player's transparent colour.
bool PngToBmp(const std::string& png, std::string* bmp) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return false;
  image.format = PNG_FORMAT_RGBA;
  if (static_cast<long long>(image.width) * image.height > kMaxPicturePixels) {
    png_image_free(&image);
    return false;
  }
  std::vector<unsigned char> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return false;
  uint32_t w = image.width, h = image.height, stride = (w * 3 + 3) & ~3u;
  bmp->clear();
  *bmp += "BM";
  PutLe(bmp, 54 + stride * h, 4);
  PutLe(bmp, 0, 4);
  PutLe(bmp, 54, 4);
  PutLe(bmp, 40, 4);
  PutLe(bmp, w, 4);
  PutLe(bmp, h, 4);
  PutLe(bmp, 1, 2);
  PutLe(bmp, 24, 2);
  for (int i = 0; i < 6; ++i) PutLe(bmp, 0, 4);
  for (uint32_t y = h; y-- > 0;) {
    const unsigned char* row = rgba.data() + static_cast<size_t>(y) * w * 4;
    for (uint32_t x = 0; x < w; ++x) {
      unsigned a = row[x * 4 + 3];
      for (int c : {2, 1, 0}) bmp->push_back(static_cast<char>((row[x * 4 + c] * a + 255 * (255 - a)) / 255));
    }
    bmp->append(stride - w * 3, '\0');
  }
  return true;
}

// One file of the authoring folder as it goes into the game folder.
struct PackedFile {
  fs::path source;
  std::string rel_out;  // generic form, relative to OUT
  std::string bytes;    // the converted content; copied files are read when written
  bool copy = false;
  bool mp3_mask = false;  // masked with the MP3 files' 4-byte mask as it is written
};

void ScrambleMp3(std::string* bytes) { UnscrambleSp3Bytes(reinterpret_cast<uint8_t*>(bytes->data()), bytes->size()); }

std::string Rel(const fs::path& p) { return p.generic_string(); }

}  // namespace

PackOutcome PackFolder(const std::string& src, const std::string& dst, const PackOptions& options) {
  PackOutcome outcome;
  if (std::string why = CheckFolderPair(src, dst); !why.empty()) {
    outcome.errors.push_back(why);
    outcome.exit_code = 2;
    return outcome;
  }
  std::error_code ec;
  std::vector<PackedFile> files;
  std::vector<fs::path> folders;
  int scenarios = 0, texts = 0, pictures = 0, converted = 0, copied = 0;
  for (auto it = fs::recursive_directory_iterator(src, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::path rel = fs::relative(it->path(), src, ec);
    if (it->is_directory()) {
      folders.push_back(rel);
      continue;
    }
    PackedFile f{it->path(), Rel(rel), "", false};
    std::string ext = Lower(it->path().extension().string());
    auto refuse = [&](const std::string& message) { outcome.errors.push_back(Rel(rel) + ": " + message); };
    auto read = [&]() {
      bool ok = false;
      std::string bytes = ReadAll(it->path(), &ok);
      if (!ok) refuse("cannot be read");
      return bytes;
    };
    auto out_ext = [&](const char* e) { f.rel_out = Rel(fs::path(rel).replace_extension(e)); };
    if (ext == ".scn" || ext == ".txt" || ext == ".ini") {
      bool scenario = ext == ".scn";
      std::string text = read();
      for (const std::string& p : CheckAuthoringText(text, scenario)) outcome.errors.push_back(Rel(rel) + ":" + p);
      if (scenario) {
        out_ext(".st1");
        f.bytes = PackScenario(text, nullptr);
        ++scenarios;
      } else {
        f.bytes = PackPlainText(text, nullptr);
        ++texts;
      }
    } else if (IsPictureExtension(ext)) {
      std::string bytes = read();
      ++pictures;
      std::string note;
      switch (SniffPicture(bytes)) {
        case PictureKind::kBmp: {
          Bitmap check;
          if (!DecodeBmp(bytes, &check)) refuse("a BMP the player cannot read (damaged, or a kind it does not know)");
          out_ext(".sb1");
          f.bytes = std::move(bytes);
          if (ext != ".bmp") note = " (it holds a BMP)";
          break;
        }
        case PictureKind::kJpeg:
          out_ext(".sj1");
          ScrambleBytes(&bytes);
          f.bytes = std::move(bytes);
          if (ext != ".jpg" && ext != ".jpeg") note = " (it holds a JPEG)";
          break;
        case PictureKind::kPng:
          out_ext(".sb1");
          if (!PngToBmp(bytes, &f.bytes)) refuse("a PNG that cannot be read");
          note = ", converted from PNG to a 24-bit BMP (translucent pixels laid over white)";
          break;
        case PictureKind::kUnknown:
          refuse("neither BMP, JPEG nor PNG: the player shows BMP and JPEG pictures; save it as one of them");
          break;
      }
      if (!note.empty()) {
        ++converted;
        outcome.notes.push_back(Rel(rel) + ": packed as " + f.rel_out + note);
      }
    } else {
      f.copy = true;
      // CD track files keep their names and bytes ("track02.wav" is no sound effect).
      for (const Kind& k : kKinds) {
        if (ext == k.authoring && CdTrackNumberOf(rel.filename().string()) < 0) {
          out_ext(k.game);
          f.mp3_mask = k.form == Kind::kMp3Scrambled;
        }
      }
      ++copied;
    }
    files.push_back(std::move(f));
  }
  if (ec) {
    outcome.errors.push_back("cannot walk " + src + ": " + ec.message());
    outcome.exit_code = 1;
    return outcome;
  }
  // Two sources of one game file (a.jpg and a.jpeg, a.png and a.bmp).
  std::map<std::string, std::string> made;
  for (const PackedFile& f : files) {
    auto [at, fresh] = made.emplace(f.rel_out, Rel(fs::relative(f.source, src, ec)));
    if (!fresh)
      outcome.errors.push_back(at->second + ": " + Rel(fs::relative(f.source, src, ec)) + " also becomes " + f.rel_out);
  }
  if (!outcome.errors.empty()) {
    outcome.exit_code = 1;
    if (!options.names_only) return outcome;
  }
  // Files already in OUT that this pack does not make.
  std::vector<fs::path> stale;
  if (fs::is_directory(dst, ec)) {
    for (auto it = fs::recursive_directory_iterator(dst, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      std::string rel = Rel(fs::relative(it->path(), dst, ec));
      if (!it->is_directory() && !made.count(rel)) stale.push_back(it->path());
    }
    if (options.clean && !stale.empty() && !fs::exists(fs::path(dst) / "start.st1")) {
      outcome.errors.push_back("OUT (" + dst +
                               ") holds files and no start.st1; --clean removes files only from a game folder");
      outcome.exit_code = 2;
      return outcome;
    }
  }
  for (const fs::path& p : stale) {
    std::string rel = Rel(fs::relative(p, dst, ec));
    if (options.clean) {
      fs::remove(p, ec);
      outcome.notes.push_back(rel + ": removed from OUT (SRC has nothing that becomes it)");
    } else {
      outcome.notes.push_back(rel + ": in OUT but not made from SRC (--clean removes it)");
    }
  }
  fs::create_directories(dst, ec);
  for (const fs::path& folder : folders) fs::create_directories(fs::path(dst) / folder, ec);
  for (PackedFile& f : files) {
    fs::path out = fs::path(dst) / f.rel_out;
    bool ok = true;
    if (f.copy && !options.names_only) {
      f.bytes = ReadAll(f.source, &ok);
      if (f.mp3_mask) ScrambleMp3(&f.bytes);
    }
    if (!ok || !WriteAll(out, f.bytes)) {
      outcome.errors.push_back("cannot write " + out.string());
      outcome.exit_code = 1;
      return outcome;
    }
    f.bytes.clear();
  }
  auto count = [](int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); };
  outcome.summary = "packed " + count(scenarios, "scenario") + ", " + count(pictures, "picture") + " (" +
                    std::to_string(converted) + " converted), " + count(texts, "text file") + " and " +
                    count(copied, "other file") + " into " + dst;
  if (!stale.empty()) {
    outcome.summary += "; " + count(static_cast<int>(stale.size()), "stale file") +
                       (options.clean ? " removed" : " left (--clean removes them)");
  }
  return outcome;
}

bool UnpackFolder(const std::string& src, const std::string& dst, std::string* error) {
  if (std::string why = CheckFolderPair(src, dst); !why.empty()) {
    *error = why;
    return false;
  }
  std::error_code ec;
  fs::create_directories(dst, ec);
  for (auto it = fs::recursive_directory_iterator(src, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::path rel = fs::relative(it->path(), src, ec);
    fs::path out = fs::path(dst) / rel;
    if (it->is_directory()) {
      fs::create_directories(out, ec);
      continue;
    }
    bool ok = false;
    std::string bytes = ReadAll(it->path(), &ok);
    if (!ok) {
      *error = "cannot read " + it->path().string();
      return false;
    }
    std::string ext = Lower(it->path().extension().string());
    for (const Kind& k : kKinds) {
      if (ext != k.game || CdTrackNumberOf(rel.filename().string()) >= 0) continue;
      out.replace_extension(k.authoring);
      switch (k.form) {
        case Kind::kScenario:
          bytes = UnpackScenario(bytes);
          break;
        case Kind::kPlainText:
          bytes = UnpackPlainText(bytes);
          break;
        case Kind::kScrambled:
          ScrambleBytes(&bytes);
          break;
        case Kind::kMp3Scrambled:
          ScrambleMp3(&bytes);
          break;
        case Kind::kAsStored:
          break;
      }
      break;
    }
    if (!WriteAll(out, bytes)) {
      *error = "cannot write " + out.string();
      return false;
    }
  }
  if (ec) {
    *error = "cannot walk " + src + ": " + ec.message();
    return false;
  }
  return true;
}

std::string AuthoringNameOf(const std::string& game_name) {
  std::string lower = Lower(game_name);
  if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".st1") == 0) {
    return game_name.substr(0, game_name.size() - 4) + ".scn";
  }
  return game_name;
}

}  // namespace piko
