// Writes the committed seed corpora and the scenario dictionary of the fuzz
// targets from the project's own games and encoders:
//   piko_fuzz_seeds SOURCE_DIR PACKED_GAMES_DIR
// PACKED_GAMES_DIR is a build folder: its demo/ and tests/games/*/ are the
// packed games. Run by `make fuzz-seeds`; the output is committed.
#include <cstddef>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "fuzz/quiet_platform.h"
#include "movie_maker/movie_maker.h"
#include "script/keyword_table.h"
#include "shell/game.h"

namespace fs = std::filesystem;
using piko::operator""_sjv;

namespace {

fs::path g_corpus;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
  fs::create_directories(g_corpus / target);
  std::ofstream(g_corpus / target / name, std::ios::binary) << bytes;
}

std::string Masked(std::string s) {
  for (char& c : s) c = static_cast<char>(static_cast<unsigned char>(c) ^ piko::kScenarioMask);
  return s;
}

void Le(std::string* out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>(v >> (8 * i)));
}

// A BMP of w x h at `bits` per pixel (1, 4, 8 with a grey palette, 24), or
// RLE8 when rle is set.
std::string Bmp(int w, int h, int bits, bool rle = false) {
  int colours = bits <= 8 ? 1 << bits : 0;
  std::string pixels;
  if (rle) {
    for (int y = 0; y < h; ++y) {
      pixels += static_cast<char>(w);
      pixels += static_cast<char>(y * 16);
      pixels += std::string("\0\0", 2);
    }
    pixels += std::string("\0\1", 2);
  } else {
    int stride = ((w * bits + 31) / 32) * 4;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < stride; ++x) pixels += static_cast<char>((x * 37 + y * 11) & 0xFF);
  }
  std::string out = "BM";
  uint32_t offset = 54 + 4 * colours;
  Le(&out, offset + static_cast<uint32_t>(pixels.size()), 4);
  Le(&out, 0, 4);
  Le(&out, offset, 4);
  Le(&out, 40, 4);
  Le(&out, w, 4);
  Le(&out, h, 4);
  Le(&out, 1, 2);
  Le(&out, bits, 2);
  Le(&out, rle ? 1 : 0, 4);
  Le(&out, static_cast<uint32_t>(pixels.size()), 4);
  Le(&out, 2835, 4);
  Le(&out, 2835, 4);
  Le(&out, colours, 4);
  Le(&out, 0, 4);
  for (int i = 0; i < colours; ++i) Le(&out, (255 * i / (colours - 1)) * 0x010101u, 4);
  return out + pixels;
}

std::string Jpeg(int w, int h, bool grey, bool progressive) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = w;
  c.image_height = h;
  c.input_components = grey ? 1 : 3;
  c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 50, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(w) * c.input_components);
  while (c.next_scanline < c.image_height) {
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<unsigned char>(i * 13 + c.next_scanline * 7);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  std::string out(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&c);
  std::free(buffer);
  return out;
}

// Silent MPEG audio frames: a header and zero side information and data.
std::string MpegFrames(unsigned char b1, unsigned char b2, unsigned char b3, int length, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    std::string frame(static_cast<size_t>(length), '\0');
    frame[0] = static_cast<char>(0xFF);
    frame[1] = static_cast<char>(b1);
    frame[2] = static_cast<char>(b2);
    frame[3] = static_cast<char>(b3);
    out += frame;
  }
  return out;
}

std::string DictEntry(std::string_view bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out + "\"";
}

std::vector<std::string> Sjis(std::initializer_list<const char*> utf8) {
  std::vector<std::string> out;
  for (const char* u : utf8) out.push_back(piko::SjisFromUtf8(u));
  return out;
}

void Dictionary(const fs::path& source, const std::string& target, const std::vector<std::string>& words) {
  fs::create_directories(source / "fuzz" / "dict");
  std::ofstream dict(source / "fuzz" / "dict" / (target + ".dict"), std::ios::binary);
  dict << "# Words and markers for " << target << ". Written by `make fuzz-seeds`.\n";
  for (const std::string& w : words) dict << DictEntry(w) << "\n";
}

// A RIFF wave of `frames` frames of a rising ramp.
std::string Wave(int channels, int rate, int bits, int frames) {
  std::string data;
  for (int i = 0; i < frames * channels; ++i) Le(&data, static_cast<uint32_t>(i * 97), bits / 8);
  std::string fmt;
  Le(&fmt, 1, 2);
  Le(&fmt, static_cast<uint32_t>(channels), 2);
  Le(&fmt, static_cast<uint32_t>(rate), 4);
  Le(&fmt, static_cast<uint32_t>(rate * channels * bits / 8), 4);
  Le(&fmt, static_cast<uint32_t>(channels * bits / 8), 2);
  Le(&fmt, static_cast<uint32_t>(bits), 2);
  std::string out = "RIFF";
  Le(&out, static_cast<uint32_t>(4 + 8 + fmt.size() + 8 + data.size()), 4);
  out += "WAVEfmt ";
  Le(&out, static_cast<uint32_t>(fmt.size()), 4);
  out += fmt + "data";
  Le(&out, static_cast<uint32_t>(data.size()), 4);
  return out + data;
}

// A format 0 Standard MIDI File: a tempo, a programme change and two notes.
std::string Midi() {
  static const char kTrack[] =
      "\0\xFF\x51\x03\x07\xA1\x20"  // tempo 500000
      "\0\xC0\x05"                  // programme 5
      "\0\x90\x3C\x64\x60\x80\x3C\0"
      "\0\x90\x40\x64\x81\x40\x80\x40\0"
      "\0\xFF\x2F\0";
  std::string track(kTrack, sizeof kTrack - 1);
  std::string out("MThd\0\0\0\6\0\0\0\1\0\x60", 14);
  out += "MTrk";
  out += std::string("\0\0\0", 3) + static_cast<char>(track.size());
  return out + track;
}

void ScenarioSeeds(const fs::path& packed) {
  std::vector<fs::path> games = {packed / "demo"};
  for (const auto& e : fs::directory_iterator(packed / "tests" / "games")) games.push_back(e.path());
  for (const fs::path& game : games) {
    if (!fs::is_directory(game)) continue;
    for (const auto& f : fs::directory_iterator(game)) {
      std::string stem = game.filename().string() + "-" + f.path().stem().string();
      if (f.path().extension() == ".st1") {
        std::string plain = Masked(ReadAll(f.path()));
        Seed("scenario_fuzz", stem, plain);
        // The same with the player's input: clicks, a key, a right click.
        Seed("scenario_fuzz", stem + "-input", plain + std::string("\0EV\0", 4) + "\0\5\x40\3\2\0\1\x20\x10\0\1\x80");
      } else if (f.path().filename() == "piko.ini") {
        Seed("ini_fuzz", stem, ReadAll(f.path()));
      }
    }
  }
}

void SaveSeeds() {
  piko::InFuzzFolder in_folder;
  piko::QuietPlatform platform;
  auto game = std::make_unique<piko::Game>();
  piko::Game& g = *game;
  g.platform = &platform;
  piko::InitGame(g);
  piko::declare_numeric(g, "点数"_sjv);
  piko::declare_numeric(g, "点［1］"_sjv);
  piko::declare_string(g, "名前"_sjv);
  piko::SetStringValue(g, piko::find_string(g, "名前"_sjv), "太郎"_sjv);
  piko::CopyText(g.script.call_stack_names[0], "start.st1");
  g.script.line_pos = 1;
  piko::write_save_file(g, "seed");
  std::string save = ReadAll("seed");
  Seed("save_reader_fuzz", "plain", std::string(1, '\0') + save);
  Seed("save_reader_fuzz", "plain-restore", std::string(1, '\2') + save);
  Seed("save_reader_fuzz", "scrambled", std::string(1, '\4') + Masked(save));
  Seed("save_reader_fuzz", "edited",
       std::string("\1\1"
                   "5\n\3"
                   "99\n\xFA\n",
                   10));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: piko_fuzz_seeds SOURCE_DIR PACKED_GAMES_DIR\n");
    return 2;
  }
  fs::path source = fs::absolute(argv[1]);
  g_corpus = source / "fuzz" / "corpus";
  fs::remove_all(g_corpus);
  ScenarioSeeds(fs::absolute(argv[2]));
  SaveSeeds();

  Seed("picture_fuzz", "bmp24", Bmp(8, 6, 24));
  Seed("picture_fuzz", "bmp8", Bmp(7, 5, 8));
  Seed("picture_fuzz", "bmp4", Bmp(9, 3, 4));
  Seed("picture_fuzz", "bmp1", Bmp(17, 2, 1));
  Seed("picture_fuzz", "bmp-rle8", Bmp(6, 4, 8, true));
  Seed("picture_fuzz", "bmp-oh", "OH" + Bmp(4, 4, 24));
  Seed("picture_fuzz", "jpeg-rgb", Jpeg(16, 8, false, false));
  Seed("picture_fuzz", "jpeg-grey", Jpeg(9, 9, true, false));
  Seed("picture_fuzz", "jpeg-progressive", Jpeg(24, 16, false, true));

  Seed("mpeg_decoder_fuzz", "layer3", std::string(1, '\0') + MpegFrames(0xFB, 0x90, 0x64, 417, 4));
  Seed("mpeg_decoder_fuzz", "layer3-mono", std::string(1, '\1') + MpegFrames(0xFB, 0x90, 0xC4, 417, 3));
  Seed("mpeg_decoder_fuzz", "layer2", std::string(1, '\0') + MpegFrames(0xFD, 0x94, 0x04, 417, 3));
  Seed("mpeg_decoder_fuzz", "layer1", std::string(1, '\0') + MpegFrames(0xFF, 0x94, 0x04, 140, 3));
  Seed("mpeg_decoder_fuzz", "id3-layer3",
       std::string(1, '\0') + std::string("ID3\3\0\0\0\0\0\x0A", 10) + std::string(10, '\0') +
           MpegFrames(0xFB, 0x90, 0x64, 417, 2));
  Seed("mpeg_decoder_fuzz", "mpeg2-layer3", std::string(1, '\0') + MpegFrames(0xF3, 0x90, 0x64, 288, 3));

  Seed("sound_file_fuzz", "wave16-stereo", Wave(2, 22050, 16, 64));
  Seed("sound_file_fuzz", "wave8-mono", Wave(1, 11025, 8, 100));
  Seed("sound_file_fuzz", "midi", Midi());
  Seed("sound_file_fuzz", "cue",
       "FILE \"game.bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n"
       "  TRACK 02 AUDIO\r\n    PREGAP 00:02:00\r\n    INDEX 01 00:10:35\r\n");
  Seed("sound_file_fuzz", "mci", "open \"MID_CPY\" type sequencer alias BGM");
  Seed("sound_file_fuzz", "mci-play", "play cdaudio from 2 to 3 notify");

  for (bool mjpeg : {false, true}) {
    piko::testing::MovieSpec spec;
    spec.container = mjpeg ? piko::testing::MovieSpec::Container::kMjpegAvi
                           : piko::testing::MovieSpec::Container::kMpeg1System;
    spec.width = 32;
    spec.height = 16;
    spec.fps = mjpeg ? 5 : 25;
    spec.colours = {{255, 0, 0, 0.2}, {0, 0, 255, 0.2}};
    spec.sound = !mjpeg;
    fs::path made = fs::temp_directory_path() / "piko-seed-movie";
    std::string error;
    if (!piko::testing::MakeMovie(made.string(), spec, &error)) {
      std::fprintf(stderr, "movie seed: %s\n", error.c_str());
      return 1;
    }
    Seed("movie_opener_fuzz", mjpeg ? "mjpeg-avi" : "mpeg1-with-sound", ReadAll(made));
    fs::remove(made);
  }

  for (const char* line : {"\0点数＝（点数＋３）＊２", "\0点［1］＝点数／０", "\1点［点数＋1］＋５－－２",
                           "\2あなたは＃（点数＊２）＃点、”（名前）”さん", "\3＃（点［2］）＃ ”（空）”",
                           "\4(1.5+2)*-3/(4-4)", "\0Ａ＝１２３４５６７８９＊９８７６５４３２１"}) {
    std::string sjis(1, line[0]);
    sjis += piko::SjisFromUtf8(line + 1);
    Seed("expression_fuzz", "line" + std::to_string(line[0]) + "-" + std::to_string(sjis.size()), sjis);
  }

  const std::string mark("\0FONT\0", 6);
  Seed("font_folder_fuzz", "font-and-folder",
       std::string("\0a.ttf\0", 7) + std::string("\0\1\0\0\0\0\0\0\0\0\0\0", 12) + mark + std::string("\1sub\0", 5));
  Seed("font_folder_fuzz", "collection-and-text",
       std::string("\0b.TTC\0", 7) + "ttcf" + std::string("\0\1\0\0\0\0\0\1\0\0\0\x10", 12) + mark +
           std::string("\0readme.txt\0", 12) + "hello" + mark);
  Seed("font_folder_fuzz", "cp932-name",
       std::string(1, '\0') + piko::SjisFromUtf8("字体.otf") + std::string(1, '\0') + "OTTO" + std::string(8, '\0') +
           mark);

  // Every keyword of the table, as the scenario target's dictionary.
  std::vector<std::string> keywords;
  for (const piko::KeywordEntry& e : piko::KeywordTable())
    if (e.keyword) keywords.emplace_back(e.keyword);
  for (const char* word :
       {"＝",  "＋",   "－",   "＊",   "／",           "（",         "）", "［", "］", "＃（", "）＃",  "”（",
        "）”", "確認", "復帰", "選択", "ファイル確認", "上書き確認", "//", "０", "１", "１０", "１００"})
    keywords.push_back(piko::SjisFromUtf8(word));
  for (const char* word : {"a", "mask", "anime", "sub", "save1", "pikofont"}) keywords.emplace_back(word);
  keywords.emplace_back("\0EV\0", 4);
  Dictionary(source, "scenario_fuzz", keywords);

  Dictionary(source, "ini_fuzz",
             Sjis({"＃ウインドウ", "＃ウィンドウ", "選択", "＃ゲーム名", "＃ゲームタイトル", "＃注意オフ",
                   "＃ＭＰ３選択", "＃セーブ", "＃チャンク", "//", "／／", "\r\n", "\x1A"}));
  Dictionary(source, "expression_fuzz",
             Sjis({"＝",  "＋",  "－",   "＊", "／",   "（", "）", "［",  "］", "＃（", "）＃",
                   "”（", "）”", "点数", "点", "名前", "空", "Ａ", "ERR", "０", "９",   "１２３４５６７８９",
                   ".",   "-",   "e"}));
  Dictionary(source, "save_reader_fuzz",
             Sjis({"－－－－－－－－－－－－ピコラ変数データ", "－－－－－－－－－－－－ピコラ文字変数データ",
                   "－－－－－－別シナリオ履歴", "－－－－－今の行数", "－－－－－－－－－－－－ピコラデータ終了",
                   "点数", "点:0:", "名前", "start.st1", "chapter.st1", "\r\n", "-1", "2147483648"}));
  Dictionary(source, "picture_fuzz",
             {"BM", "OH", "\xFF\xD8", "\xFF\xC0", "\xFF\xC2", "\xFF\xC4", "\xFF\xDA", "\xFF\xD9", "\xFF\xDB",
              "\xFF\xDD", "\xFF\xE0", "JFIF", std::string("\x28\0\0\0", 4), std::string("\x0C\0\0\0", 4)});
  Dictionary(source, "mpeg_decoder_fuzz",
             {"ID3", "TAG", "RIFF", "WAVE", "fmt ", "data", "\xFF\xFB", "\xFF\xF3", "\xFF\xFD", "\xFF\xFF", "\xFF\xE3",
              "Xing", "Info", "LAME"});
  Dictionary(source, "sound_file_fuzz",
             {"RIFF", "WAVE", "fmt ", "data", "LIST", std::string("\1\0", 2), std::string("\2\0", 2),
              std::string("\x11\0", 2), "MThd", "MTrk", std::string("\xFF\x2F\0", 3), std::string("\xFF\x51\x03", 3),
              "\xF0", "\xF7", "FILE", "BINARY", "WAVE", "TRACK", "AUDIO", "MODE1/2352", "INDEX", "PREGAP", "00:00:00",
              "\"", "open", "close", "play", "stop", "pause", "resume", "seek", "status", "set", "type", "alias",
              "from", "to", "notify", "wait", "waveaudio", "sequencer", "cdaudio", "MPEGVideo", "mode", "position",
              "length", "tracks", "time format", "tmsf", "milliseconds", "track", "volume"});
  Dictionary(source, "movie_opener_fuzz",
             {std::string("\0\0\1\xBA", 4), std::string("\0\0\1\xBB", 4), std::string("\0\0\1\xB3", 4),
              std::string("\0\0\1\0", 4), std::string("\0\0\1\xE0", 4), std::string("\0\0\1\xC0", 4),
              std::string("\0\0\1\xB9", 4), "RIFF", "AVI ", "LIST", "hdrl", "avih", "strl", "strh", "strf",
              "movi", "idx1", "vids", "auds", "MJPG", "00dc", "01wb", "\xFF\xD8", "\xFF\xD9"});
  Dictionary(source, "font_folder_fuzz", {".ttf", ".TTF", ".ttc",
                                          ".fon", ".otf", std::string("\0FONT\0", 6),
                                          "OTTO", "ttcf", std::string("\0\1\0\0", 4),
                                          "true", "cmap", "head",
                                          "name", "glyf", "loca",
                                          "hhea", "maxp", "OS/2",
                                          "MZ",   "NE"});
  return 0;
}
