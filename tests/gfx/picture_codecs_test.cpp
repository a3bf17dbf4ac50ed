#include "gfx/picture_codecs.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "support/game_test.h"
#include "support/process.h"

namespace piko {
namespace {

namespace fs = std::filesystem;

// ---- Small pictures made here ----

void Put16(std::string* s, uint32_t v) {
  s->push_back(static_cast<char>(v & 0xFF));
  s->push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string* s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// An 8-bit (or 4-bit) palette BMP with the given pixel data, bottom-up.
std::string PaletteBmp(int width, int height, int bits, uint32_t compression, const std::string& data,
                       int palette_size = 4) {
  std::string s = "BM";
  Put32(&s, 14 + 40 + 4 * palette_size + static_cast<uint32_t>(data.size()));
  Put32(&s, 0);
  Put32(&s, 14 + 40 + 4 * palette_size);
  Put32(&s, 40);
  Put32(&s, static_cast<uint32_t>(width));
  Put32(&s, static_cast<uint32_t>(height));
  Put16(&s, 1);
  Put16(&s, static_cast<uint32_t>(bits));
  Put32(&s, compression);
  Put32(&s, static_cast<uint32_t>(data.size()));
  Put32(&s, 2835);
  Put32(&s, 2835);
  Put32(&s, static_cast<uint32_t>(palette_size));
  Put32(&s, 0);
  const uint32_t colours[4] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};  // as 0x00RRGGBB
  for (int i = 0; i < palette_size; ++i) Put32(&s, colours[i % 4]);
  return s + data;
}

// Row 0 (bottom): 1 1 2 3 0; row 1 (top): 3 3 3 0 1.
const std::string kRows8 = std::string("\x01\x01\x02\x03\x00\x00\x00\x00\x03\x03\x03\x00\x01\x00\x00\x00", 16);

TEST(BmpDecoder, RunLengthDataEqualsItsUncompressedForm) {
  Bitmap plain, rle8, rle4, prefixed;
  ASSERT_TRUE(DecodeBmp(PaletteBmp(5, 2, 8, 0, kRows8), &plain));
  EXPECT_EQ(plain.At(0, 1), 0xFF0000u);  // bottom-up: stored row 0 is the last row
  EXPECT_EQ(plain.At(3, 1), 0x0000FFu);
  EXPECT_EQ(plain.At(0, 0), 0x0000FFu);
  // RLE8: a run, an absolute run of three (padded), end of line; three runs, end of bitmap.
  std::string r8 =
      std::string("\x02\x01\x00\x03\x02\x03\x00\x00\x00\x00", 10) + std::string("\x03\x03\x01\x00\x01\x01\x00\x01", 8);
  ASSERT_TRUE(DecodeBmp(PaletteBmp(5, 2, 8, 1, r8), &rle8));
  EXPECT_EQ(rle8.pixels, plain.pixels);
  // RLE4: "1 1" as a run, "2 3 0" as an absolute run, end of line; "3 3 3" and "0 1" as runs.
  std::string r4 = std::string("\x02\x11\x00\x03\x23\x00\x00\x00", 8) + std::string("\x03\x33\x02\x01\x00\x01", 6);
  ASSERT_TRUE(DecodeBmp(PaletteBmp(5, 2, 4, 2, r4), &rle4));
  EXPECT_EQ(rle4.pixels, plain.pixels);
  ASSERT_TRUE(DecodeBmp("OH" + PaletteBmp(5, 2, 8, 0, kRows8), &prefixed));
  EXPECT_EQ(prefixed.pixels, plain.pixels);
}

TEST(BmpDecoder, HostileRunLengthDataStaysInside) {
  Bitmap b;
  // Runs past the row and the picture, deltas past the end, a cut absolute run.
  std::string evil = std::string("\xFF\x01\x00\x02\xFF\xFF\xFF\x02\x00\x00\x00\xFF\x01", 13);
  ASSERT_TRUE(DecodeBmp(PaletteBmp(5, 2, 8, 1, evil), &b));
  EXPECT_EQ(b.pixels.size(), 10u);
  EXPECT_EQ(b.At(4, 1), 0xFF0000u);  // the long run stopped at the row end
  EXPECT_FALSE(DecodeBmp("BM", &b));
  EXPECT_FALSE(DecodeBmp(PaletteBmp(5, 2, 8, 0, kRows8.substr(0, 12)), &b));         // short pixel data
  EXPECT_FALSE(DecodeBmp(PaletteBmp(100000, 100000, 8, 0, kRows8), &b));             // absurd size
  EXPECT_FALSE(DecodeBmp(PaletteBmp(5, -2, 8, 1, std::string("\x00\x01", 2)), &b));  // top-down RLE
}

// ---- The public BMP suite ----

const std::string kSuite = std::string(PIKO_TESTDATA) + "/bmp";

bool ReadReference(const std::string& path, int* w, int* h, std::vector<uint32_t>* rgb) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> buf(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buf.data(), 0, nullptr)) return false;
  *w = static_cast<int>(image.width);
  *h = static_cast<int>(image.height);
  rgb->resize(static_cast<size_t>(*w) * *h);
  for (size_t i = 0; i < rgb->size(); ++i) {
    (*rgb)[i] =
        (static_cast<uint32_t>(buf[i * 3]) << 16) | (static_cast<uint32_t>(buf[i * 3 + 1]) << 8) | buf[i * 3 + 2];
  }
  return true;
}

std::string ReadBytes(const std::string& path) { return testing::ReadFileText(path); }

TEST(BmpSuite, GoodFilesMatchTheirReferencesOnBothPixelFormats) {
  if (!fs::exists(kSuite)) GTEST_SKIP() << "skipped: the BMP suite is not at " << kSuite;
  const std::map<std::string, std::string> reference = {
      {"pal1", "pal1"},           {"pal1bg", "pal1bg"},
      {"pal1wb", "pal1"},         {"pal4", "pal4"},
      {"pal4gs", "pal4gs"},       {"pal4rle", "pal4"},
      {"pal8-0", "pal8"},         {"pal8", "pal8"},
      {"pal8gs", "pal8gs"},       {"pal8nonsquare", "pal8nonsquare-e"},
      {"pal8os2", "pal8"},        {"pal8rle", "pal8"},
      {"pal8topdown", "pal8"},    {"pal8v4", "pal8"},
      {"pal8v5", "pal8"},         {"pal8w124", "pal8w124"},
      {"pal8w125", "pal8w125"},   {"pal8w126", "pal8w126"},
      {"rgb16-565", "rgb16-565"}, {"rgb16-565pal", "rgb16-565"},
      {"rgb16", "rgb16"},         {"rgb16bfdef", "rgb16"},
      {"rgb24", "rgb24"},         {"rgb24pal", "rgb24"},
      {"rgb32", "rgb24"},         {"rgb32bf", "rgb24"},
      {"rgb32bfdef", "rgb24"},
  };
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(kSuite + "/g")) {
    std::string name = entry.path().stem().string();
    ASSERT_TRUE(reference.count(name)) << "no reference named for " << name;
    Bitmap bmp;
    // The same file behind the optional two-byte prefix must decode alike.
    for (const std::string& prefix : {std::string(), std::string("OH")}) {
      ASSERT_TRUE(DecodeBmp(prefix + ReadBytes(entry.path().string()), &bmp)) << name;
      int w, h;
      std::vector<uint32_t> ref;
      ASSERT_TRUE(ReadReference(kSuite + "/html/" + reference.at(name) + ".png", &w, &h, &ref)) << name;
      ASSERT_EQ(bmp.width, w) << name;
      ASSERT_EQ(bmp.height, h) << name;
      for (PixelFormat format : {PixelFormat::kRgb565, PixelFormat::kRgb555}) {
        Surface surface(640, 480, format);
        BlitBitmap(bmp, 0, 0, 640, 480, &surface, 0, 0);
        int wrong = 0;
        for (int y = 0; y < h; ++y) {
          for (int x = 0; x < w; ++x) {
            uint32_t c = ref[static_cast<size_t>(y) * w + x];
            if (surface.At(x, y) != PackPixel(format, (c >> 16) & 255, (c >> 8) & 255, c & 255)) ++wrong;
          }
        }
        EXPECT_EQ(wrong, 0) << name << (format == PixelFormat::kRgb565 ? " on 5-6-5" : " on 5-5-5");
      }
    }
    ++checked;
  }
  EXPECT_EQ(checked, 27);
}

TEST(BmpSuite, QuestionableAndBadFilesNeverEscapeTheirBuffers) {
  if (!fs::exists(kSuite)) GTEST_SKIP() << "skipped: the BMP suite is not at " << kSuite;
  int decoded = 0, refused = 0;
  for (const char* folder : {"/q", "/b", "/x"}) {
    for (const auto& entry : fs::directory_iterator(kSuite + folder)) {
      std::string data = ReadBytes(entry.path().string());
      Bitmap bmp;
      if (DecodeBmp(data, &bmp)) {
        ++decoded;
        EXPECT_EQ(bmp.pixels.size(), static_cast<size_t>(bmp.width) * bmp.height);
        // Every prefix of a file is a damaged file too.
        for (size_t cut : {data.size() / 2, data.size() - 1, size_t{60}}) {
          Bitmap part;
          DecodeBmp(data.substr(0, cut), &part);
        }
      } else {
        ++refused;
      }
    }
  }
  // The worst of them are refused outright.
  Bitmap bmp;
  for (const char* bad :
       {"/b/reallybig.bmp", "/b/badbitcount.bmp", "/b/rletopdown.bmp", "/b/shortfile.bmp", "/b/badwidth.bmp"}) {
    EXPECT_FALSE(DecodeBmp(ReadBytes(kSuite + bad), &bmp)) << bad;
  }
  EXPECT_GT(decoded, 0);
  EXPECT_GT(refused, 0);
}

// ---- JPEG ----

TEST(JpegDecoder, SuitePictureAndDamagedFiles) {
  std::string jpeg = kSuite + "/html/rgb24.jpg";
  if (!fs::exists(jpeg)) GTEST_SKIP() << "skipped: the BMP suite is not at " << kSuite;
  testing::TempFolder folder;
  std::string data = ReadBytes(jpeg);
  folder.Write("pic.jpg", data);
  Bitmap bmp;
  JpegResult r = DecodeJpegToBitmap("pic.jpg", &bmp);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(bmp.width, 127);
  EXPECT_EQ(bmp.height, 64);
  // Into a surface: the picture at the top left, the rest untouched.
  for (PixelFormat format : {PixelFormat::kRgb565, PixelFormat::kRgb555}) {
    Surface s(640, 480, format);
    std::fill(s.pixels.begin(), s.pixels.end(), 0x1234);
    ASSERT_TRUE(DecodeJpegToSurface("pic.jpg", &s).ok);
    uint32_t c = bmp.At(10, 10);
    EXPECT_EQ(s.At(10, 10), PackPixel(format, c >> 16, (c >> 8) & 255, c & 255));
    EXPECT_EQ(s.At(127, 10), 0x1234);
    EXPECT_EQ(s.At(10, 64), 0x1234);
  }
  // Cut short, the picture still shows (libjpeg warns and pads); garbage fails quietly.
  folder.Write("cut.jpg", data.substr(0, data.size() / 2));
  EXPECT_TRUE(DecodeJpegToBitmap("cut.jpg", &bmp).ok);
  folder.Write("junk.jpg", "this is not a picture at all");
  JpegResult junk = DecodeJpegToBitmap("junk.jpg", &bmp);
  EXPECT_FALSE(junk.ok);
  EXPECT_FALSE(junk.message.empty());
  EXPECT_FALSE(DecodeJpegToBitmap("missing.jpg", &bmp).ok);
  // The scrambled form round-trips through the mask.
  std::string masked = data;
  for (char& ch : masked) ch = static_cast<char>(static_cast<unsigned char>(ch) ^ 0xE7);
  folder.Write("pic.sj1", masked);
  ASSERT_EQ(UnscrambleFile("pic.sj1", "jp_deco"), 1);
  EXPECT_EQ(ReadBytes(folder.path() + "/jp_deco"), data);
  EXPECT_EQ(UnscrambleFile("none.sj1", "jp_deco"), 0);
}

}  // namespace
}  // namespace piko

namespace piko {
namespace {

TEST(PikoToolPicture, PreviewsLikeABackground) {
  std::string suite_bmp = kSuite + "/g/pal8.bmp";
  if (!fs::exists(suite_bmp)) GTEST_SKIP() << "skipped: the BMP suite is not at " << kSuite;
  testing::TempFolder folder;
  std::string jpeg = ReadBytes(kSuite + "/html/rgb24.jpg");
  for (char& ch : jpeg) ch = static_cast<char>(static_cast<unsigned char>(ch) ^ 0xE7);
  folder.Write("bg.sj1", jpeg);
  folder.Write("bg.sb1", "OH" + ReadBytes(suite_bmp));
  folder.Write("junk.sb1", "BMnonsense");
  auto tool = [](std::vector<std::string> args) {
    args.insert(args.begin(), PIKO_TOOL);
    return testing::RunProcess(args);
  };
  for (const char* in : {"bg.sj1", "bg.sb1"}) {
    std::string out = folder.path() + "/" + in + ".png";
    auto r = tool({"picture", folder.path() + "/" + in, out, "--pixel-format", "555"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    int w, h;
    std::vector<unsigned char> rgb;
    ASSERT_TRUE(testing::ReadRgbPng(out, &w, &h, &rgb));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    size_t outside = (static_cast<size_t>(200) * 640 + 300) * 3;  // beyond the 127x64 picture: white
    EXPECT_EQ(rgb[outside] + rgb[outside + 1] + rgb[outside + 2], 3 * 255);
  }
  auto refused = tool({"picture", folder.path() + "/junk.sb1", folder.path() + "/junk.png"});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_NE(refused.err.find("not a picture"), std::string::npos);
}

}  // namespace
}  // namespace piko
