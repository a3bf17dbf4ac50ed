#include "tools/pack.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/sjis.h"
#include "platform/audio_sources.h"
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
  enum Form { kScenario, kPlainText, kScrambled, kAsStored } form;
};

constexpr Kind kKinds[] = {
    {".scn", ".st1", Kind::kScenario},  {".txt", ".txt", Kind::kPlainText}, {".ini", ".ini", Kind::kPlainText},
    {".bmp", ".sb1", Kind::kAsStored},  {".jpg", ".sj1", Kind::kScrambled}, {".jpeg", ".sj1", Kind::kScrambled},
    {".wav", ".sw1", Kind::kAsStored},  {".mid", ".sm1", Kind::kAsStored},
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

namespace {

// Copies every file of src to the same place under dst, letting `convert`
// rewrite its bytes and its name on the way.
template <typename Convert>
bool ConvertFolder(const std::string& src, const std::string& dst, std::string* error, Convert convert) {
  std::error_code ec;
  if (!fs::is_directory(src, ec)) {
    *error = "not a folder: " + src;
    return false;
  }
  fs::create_directories(dst, ec);
  for (auto it = fs::recursive_directory_iterator(src, ec); it != fs::recursive_directory_iterator(); ++it) {
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
    convert(rel, Lower(it->path().extension().string()), &bytes, &out);
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

}  // namespace

bool PackFolder(const std::string& src, const std::string& dst, std::vector<std::string>* warnings,
                std::string* error) {
  return ConvertFolder(src, dst, error, [&](const fs::path& rel, const std::string& ext, std::string* bytes,
                                            fs::path* out) {
    std::vector<std::string> file_warnings;
    // CD track files keep their names and bytes ("track02.wav" is no sound effect).
    if (CdTrackNumberOf(rel.filename().string()) >= 0) return;
    for (const Kind& k : kKinds) {
      if (ext != k.authoring) continue;
      out->replace_extension(k.game);
      switch (k.form) {
        case Kind::kScenario: *bytes = PackScenario(*bytes, &file_warnings); break;
        case Kind::kPlainText: *bytes = PackPlainText(*bytes, &file_warnings); break;
        case Kind::kScrambled: ScrambleBytes(bytes); break;
        case Kind::kAsStored: break;
      }
      break;
    }
    for (const std::string& w : file_warnings) warnings->push_back(rel.string() + ": " + w);
  });
}

bool UnpackFolder(const std::string& src, const std::string& dst, std::string* error) {
  return ConvertFolder(src, dst, error, [](const fs::path& rel, const std::string& ext, std::string* bytes,
                                           fs::path* out) {
    if (CdTrackNumberOf(rel.filename().string()) >= 0) return;
    for (const Kind& k : kKinds) {
      if (ext != k.game) continue;
      out->replace_extension(k.authoring);
      switch (k.form) {
        case Kind::kScenario: *bytes = UnpackScenario(*bytes); break;
        case Kind::kPlainText: *bytes = UnpackPlainText(*bytes); break;
        case Kind::kScrambled: ScrambleBytes(bytes); break;
        case Kind::kAsStored: break;
      }
      break;
    }
  });
}

}  // namespace piko
