// The BMP reader. Every offset and count in the file is checked before use:
// a damaged or hostile file is refused, never read or written out of bounds.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "gfx/picture_codecs.h"
#include "platform/files.h"

namespace piko {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

uint32_t U16(std::string_view d, size_t p) {
  return static_cast<uint32_t>(static_cast<unsigned char>(d[p])) |
         (static_cast<uint32_t>(static_cast<unsigned char>(d[p + 1])) << 8);
}
uint32_t U32(std::string_view d, size_t p) { return U16(d, p) | (U16(d, p + 2) << 16); }

// One channel of a bit-field pixel, scaled to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t m = 0) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    max = m >> shift;
  }
  unsigned Get(uint32_t pixel) const {
    if (!max) return 0;
    uint64_t v = (pixel & mask) >> shift;
    return static_cast<unsigned>((v * 255 + max / 2) / max);
  }
};

bool ContiguousMask(uint32_t m) {
  if (!m) return true;
  while (!(m & 1)) m >>= 1;
  return (m & (m + 1)) == 0;
}

// Run-length data to one palette index per pixel, rows bottom-up as stored.
// Runs are cut at the row's end; a delta or an early end leaves index 0.
void DecodeRle(std::string_view src, bool four_bit, int width, int height, std::vector<uint8_t>* indices) {
  indices->assign(static_cast<size_t>(width) * height, 0);
  size_t p = 0;
  int x = 0, y = 0;
  auto put = [&](uint8_t v) {
    if (x < width && y < height) (*indices)[static_cast<size_t>(y) * width + x] = v;
    ++x;
  };
  while (p + 2 <= src.size() && y < height) {
    unsigned count = static_cast<unsigned char>(src[p]);
    unsigned value = static_cast<unsigned char>(src[p + 1]);
    p += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count && x < width; ++i) {
        put(four_bit ? static_cast<uint8_t>(i % 2 == 0 ? value >> 4 : value & 15) : static_cast<uint8_t>(value));
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return;
    } else if (value == 2) {  // delta
      if (p + 2 > src.size()) return;
      x += static_cast<unsigned char>(src[p]);
      y += static_cast<unsigned char>(src[p + 1]);
      p += 2;
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      unsigned bytes = four_bit ? (value + 1) / 2 : value;
      if (p + bytes > src.size()) return;
      for (unsigned i = 0; i < value; ++i) {
        unsigned b = static_cast<unsigned char>(src[p + (four_bit ? i / 2 : i)]);
        uint8_t v = four_bit ? static_cast<uint8_t>(i % 2 == 0 ? b >> 4 : b & 15) : static_cast<uint8_t>(b);
        if (x < width) put(v);
        else ++x;
      }
      p += bytes + (bytes & 1);
    }
  }
}

}  // namespace

bool DecodeBmp(std::string_view d, Bitmap* out) {
  if (d.size() >= 2 && d[0] == 'O' && d[1] == 'H') d.remove_prefix(2);
  if (d.size() < 18 || d[0] != 'B' || d[1] != 'M') return false;
  uint32_t pixel_offset = U32(d, 10);
  uint32_t header_size = U32(d, 14);
  if (header_size < 12 || header_size > d.size() - 14) return false;

  int64_t width, height;
  uint32_t bit_count, compression = kRgb, colours_used = 0;
  size_t palette_entry = 4;
  if (header_size == 12) {  // the old core header
    width = U16(d, 18);
    height = static_cast<int16_t>(U16(d, 20));
    bit_count = U16(d, 24);
    palette_entry = 3;
  } else {
    if (header_size < 16) return false;
    width = static_cast<int32_t>(U32(d, 18));
    height = static_cast<int32_t>(U32(d, 22));
    bit_count = U16(d, 28);
    if (header_size >= 20) compression = U32(d, 30);
    if (header_size >= 36) colours_used = U32(d, 46);
  }
  bool top_down = height < 0;
  if (top_down) height = -height;
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return false;
  if (width * height > kMaxPicturePixels) return false;

  size_t after_header = 14 + header_size;
  Channel red, green, blue;
  if (compression == kBitFields || compression == kAlphaBitFields) {
    if (bit_count != 16 && bit_count != 32) return false;
    size_t masks_at = header_size >= 52 ? 54 : after_header;
    if (masks_at + 12 > d.size()) return false;
    if (header_size < 52) after_header += compression == kAlphaBitFields ? 16 : 12;
    uint32_t m[3] = {U32(d, masks_at), U32(d, masks_at + 4), U32(d, masks_at + 8)};
    for (uint32_t mask : m) {
      if (!ContiguousMask(mask)) return false;
    }
    red = Channel(m[0]);
    green = Channel(m[1]);
    blue = Channel(m[2]);
  } else if (compression == kRgb && bit_count == 16) {
    red = Channel(0x7C00);
    green = Channel(0x03E0);
    blue = Channel(0x001F);
  } else if (compression == kRgb && (bit_count == 24 || bit_count == 32)) {
    red = Channel(0xFF0000);
    green = Channel(0x00FF00);
    blue = Channel(0x0000FF);
  } else if (compression == kRle8) {
    if (bit_count != 8 || top_down) return false;
  } else if (compression == kRle4) {
    if (bit_count != 4 || top_down) return false;
  } else if (compression != kRgb || (bit_count != 1 && bit_count != 2 && bit_count != 4 && bit_count != 8)) {
    return false;
  }

  // The colour table: as many entries as declared, but never past the pixels.
  std::vector<uint32_t> palette;
  if (bit_count <= 8) {
    uint32_t entries = colours_used ? colours_used : (1u << bit_count);
    if (entries > 256) entries = 256;
    size_t end = pixel_offset > after_header ? std::min<size_t>(pixel_offset, d.size()) : d.size();
    for (uint32_t i = 0; i < entries; ++i) {
      size_t at = after_header + i * palette_entry;
      if (at + 3 > end) break;
      palette.push_back((static_cast<uint32_t>(static_cast<unsigned char>(d[at + 2])) << 16) |
                        (static_cast<uint32_t>(static_cast<unsigned char>(d[at + 1])) << 8) |
                        static_cast<unsigned char>(d[at]));
    }
    if (palette.empty()) return false;
  }
  auto colour_of = [&](unsigned index) { return index < palette.size() ? palette[index] : 0u; };

  if (pixel_offset >= d.size()) return false;
  std::string_view pixels = d.substr(pixel_offset);
  Bitmap bmp;
  bmp.width = static_cast<int>(width);
  bmp.height = static_cast<int>(height);
  bmp.pixels.assign(static_cast<size_t>(width) * height, 0);
  auto target_row = [&](int stored_row) { return top_down ? stored_row : bmp.height - 1 - stored_row; };

  if (compression == kRle8 || compression == kRle4) {
    std::vector<uint8_t> indices;
    DecodeRle(pixels, compression == kRle4, bmp.width, bmp.height, &indices);
    for (int y = 0; y < bmp.height; ++y) {
      uint32_t* row = bmp.pixels.data() + static_cast<size_t>(target_row(y)) * bmp.width;
      for (int x = 0; x < bmp.width; ++x) row[x] = colour_of(indices[static_cast<size_t>(y) * bmp.width + x]);
    }
    *out = std::move(bmp);
    return true;
  }

  uint64_t stride = (static_cast<uint64_t>(bit_count) * width + 31) / 32 * 4;
  if (stride * height > pixels.size()) return false;
  for (int y = 0; y < bmp.height; ++y) {
    std::string_view src = pixels.substr(static_cast<size_t>(stride * y), static_cast<size_t>(stride));
    uint32_t* row = bmp.pixels.data() + static_cast<size_t>(target_row(y)) * bmp.width;
    for (int x = 0; x < bmp.width; ++x) {
      switch (bit_count) {
        case 1:
        case 2:
        case 4:
        case 8: {
          size_t bit = static_cast<size_t>(x) * bit_count;
          unsigned byte = static_cast<unsigned char>(src[bit / 8]);
          unsigned index = (byte >> (8 - bit_count - bit % 8)) & ((1u << bit_count) - 1);
          row[x] = colour_of(index);
          break;
        }
        case 16: {
          uint32_t v = U16(src, static_cast<size_t>(x) * 2);
          row[x] = (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
          break;
        }
        case 24: {
          size_t at = static_cast<size_t>(x) * 3;
          row[x] = (static_cast<uint32_t>(static_cast<unsigned char>(src[at + 2])) << 16) |
                   (static_cast<uint32_t>(static_cast<unsigned char>(src[at + 1])) << 8) |
                   static_cast<unsigned char>(src[at]);
          break;
        }
        case 32: {
          uint32_t v = U32(src, static_cast<size_t>(x) * 4);
          row[x] = (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
          break;
        }
        default:
          return false;
      }
    }
  }
  *out = std::move(bmp);
  return true;
}

bool LoadBmpFile(std::string_view name, Bitmap* out) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(OpenGameFile(name, "rb"), std::fclose);
  if (!f) return false;
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return false;
  long size = std::ftell(f.get());
  // A 640x480 picture at 32 bits is 1.2 MB; anything near this is not a
  // picture a game can show.
  if (size < 0 || size > 256L * 1024 * 1024) return false;
  std::rewind(f.get());
  std::string data(static_cast<size_t>(size), '\0');
  if (size > 0 && std::fread(data.data(), 1, data.size(), f.get()) != data.size()) return false;
  return DecodeBmp(data, out);
}

int UnscrambleFile(std::string_view source, std::string_view target) {
  std::unique_ptr<FILE, int (*)(FILE*)> in(OpenGameFile(source, "rb"), std::fclose);
  if (!in) return 0;
  std::unique_ptr<FILE, int (*)(FILE*)> out(OpenGameFile(target, "wb"), std::fclose);
  if (!out) return 0;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in.get())) > 0) {
    for (size_t i = 0; i < n; ++i) buf[i] = static_cast<char>(static_cast<unsigned char>(buf[i]) ^ kPictureMask);
    if (std::fwrite(buf, 1, n, out.get()) != n) return 0;
  }
  if (std::ferror(in.get())) return 0;
  return std::fclose(out.release()) == 0 ? 1 : 0;
}

}  // namespace piko
