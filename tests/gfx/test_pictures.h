// Pictures made by the tests themselves: 24-bit BMPs and JPEGs (plain or
// scrambled as games store them) painted by a function of the position.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace piko::testing {

using Painter = std::function<uint32_t(int x, int y)>;  // 0xRRGGBB

// Every pixel tells where it came from: red the column modulo 32, blue the
// column / 32, green the row modulo 64, all exact in 5-6-5. Never white.
inline uint32_t PositionColour(int x, int y) {
  return (static_cast<uint32_t>(x % 32 * 8) << 16) | (static_cast<uint32_t>(y % 64 * 4) << 8) |
         static_cast<uint32_t>(x / 32 * 8);
}

inline std::string Bmp24(int w, int h, const Painter& paint) {
  int stride = (w * 3 + 3) / 4 * 4;
  std::string s;
  auto put = [&s](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  s += "BM";
  put(54 + stride * h, 4);
  put(0, 4);
  put(54, 4);
  put(40, 4);
  put(w, 4);
  put(h, 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);
  put(stride * h, 4);
  put(2835, 4);
  put(2835, 4);
  put(0, 4);
  put(0, 4);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) put(paint(x, y), 3);
    for (int pad = w * 3; pad < stride; ++pad) s.push_back(0);
  }
  return s;
}

inline std::string Jpeg(int w, int h, bool gray, const Painter& paint) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  FILE* f = std::tmpfile();
  jpeg_stdio_dest(&c, f);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = gray ? 1 : 3;
  c.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(w) * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t v = paint(x, y);
      if (gray) {
        row[x] = static_cast<JSAMPLE>(v & 0xFF);
      } else {
        row[x * 3] = static_cast<JSAMPLE>(v >> 16);
        row[x * 3 + 1] = static_cast<JSAMPLE>((v >> 8) & 0xFF);
        row[x * 3 + 2] = static_cast<JSAMPLE>(v & 0xFF);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string data(static_cast<size_t>(std::ftell(f)), '\0');
  std::rewind(f);
  size_t got = std::fread(data.data(), 1, data.size(), f);
  data.resize(got);
  std::fclose(f);
  return data;
}

// The stored form of a JPEG picture (.sj1): every byte XOR 0xE7.
inline std::string Scrambled(std::string data) {
  for (char& ch : data) ch = static_cast<char>(static_cast<unsigned char>(ch) ^ 0xE7);
  return data;
}

inline Painter Solid(uint32_t rgb) {
  return [rgb](int, int) { return rgb; };
}

}  // namespace piko::testing
