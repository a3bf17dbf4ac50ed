#include "platform/surface.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "base/pixel_loop.h"

namespace piko {

namespace {

// Released buffers of surface size, kept for the next surface of that size.
struct PixelPool {
  std::mutex mutex;
  std::vector<std::pair<size_t, uint16_t*>> blocks;
  size_t bytes = 0;
};
PixelPool& Pool() {
  static PixelPool* pool = new PixelPool();  // never destroyed: buffers may be freed at exit
  return *pool;
}
constexpr size_t kPooledMinimum = 64 * 1024;
constexpr size_t kPoolBytes = 32 << 20;

}  // namespace

uint16_t* PixelBuffer::Allocate(size_t n, bool zeroed) {
  if (n == 0) return nullptr;
  if (n * sizeof(uint16_t) >= kPooledMinimum) {
    PixelPool& pool = Pool();
    std::unique_lock lock(pool.mutex);
    for (auto it = pool.blocks.rbegin(); it != pool.blocks.rend(); ++it) {
      if (it->first != n) continue;
      uint16_t* p = it->second;
      pool.blocks.erase(std::next(it).base());
      pool.bytes -= n * sizeof(uint16_t);
      lock.unlock();
      if (zeroed) std::memset(p, 0, n * sizeof(uint16_t));
      // The size travels in front of the pixels, for the release.
      return p;
    }
  }
  void* p = std::calloc(n + 4, sizeof(uint16_t));
  if (!p) throw std::bad_alloc();
  std::memcpy(p, &n, sizeof n);
  return static_cast<uint16_t*>(p) + 4;
}

void PixelBuffer::Fill(uint16_t value) {
  uint16_t now;
  if (Uniform(&now) && now == value) return;
  FillPixels(DataToOverwrite(), size_, value);
  uniform_ = size_ != 0;
  uniform_value_ = value;
}

void PixelBuffer::Free::operator()(uint16_t* p) const {
  uint16_t* block = p - 4;
  size_t n;
  std::memcpy(&n, block, sizeof n);
  if (n * sizeof(uint16_t) >= kPooledMinimum && n * sizeof(uint16_t) <= kPoolBytes) {
    // The newest released buffers stay; the oldest make room for them, so
    // that pictures of odd sizes do not crowd out the surfaces.
    std::vector<uint16_t*> evicted;
    {
      PixelPool& pool = Pool();
      std::lock_guard lock(pool.mutex);
      pool.blocks.emplace_back(n, p);
      pool.bytes += n * sizeof(uint16_t);
      auto first_kept = pool.blocks.begin();
      while (pool.bytes > kPoolBytes) {
        pool.bytes -= first_kept->first * sizeof(uint16_t);
        evicted.push_back(first_kept->second - 4);
        ++first_kept;
      }
      pool.blocks.erase(pool.blocks.begin(), first_kept);
    }
    for (uint16_t* old : evicted) std::free(old);
    return;
  }
  std::free(block);
}

bool ClipCopy(int src_w, int src_h, int dst_w, int dst_h, int* sx, int* sy, int* w, int* h, int* dx, int* dy) {
  if (*sx < 0) {
    *w += *sx;
    *dx -= *sx;
    *sx = 0;
  }
  if (*sy < 0) {
    *h += *sy;
    *dy -= *sy;
    *sy = 0;
  }
  if (*dx < 0) {
    *w += *dx;
    *sx -= *dx;
    *dx = 0;
  }
  if (*dy < 0) {
    *h += *dy;
    *sy -= *dy;
    *dy = 0;
  }
  *w = std::min({*w, src_w - *sx, dst_w - *dx});
  *h = std::min({*h, src_h - *sy, dst_h - *dy});
  return *w > 0 && *h > 0;
}

void ExpandPixel(uint16_t pixel, PixelFormat format, uint8_t* r, uint8_t* g, uint8_t* b) {
  unsigned r5, g6, b5;
  if (format == PixelFormat::kRgb565) {
    r5 = (pixel >> 11) & 31;
    g6 = (pixel >> 5) & 63;
    b5 = pixel & 31;
    *g = static_cast<uint8_t>((g6 << 2) | (g6 >> 4));
  } else {
    r5 = (pixel >> 10) & 31;
    unsigned g5 = (pixel >> 5) & 31;
    b5 = pixel & 31;
    *g = static_cast<uint8_t>((g5 << 3) | (g5 >> 2));
  }
  *r = static_cast<uint8_t>((r5 << 3) | (r5 >> 2));
  *b = static_cast<uint8_t>((b5 << 3) | (b5 >> 2));
}

namespace {

void PutU32(std::vector<unsigned char>* out, uint32_t v) {
  out->push_back(static_cast<unsigned char>(v >> 24));
  out->push_back(static_cast<unsigned char>(v >> 16));
  out->push_back(static_cast<unsigned char>(v >> 8));
  out->push_back(static_cast<unsigned char>(v));
}

void PutChunk(std::vector<unsigned char>* out, const char* type, const unsigned char* data, size_t size) {
  PutU32(out, static_cast<uint32_t>(size));
  size_t start = out->size();
  out->insert(out->end(), type, type + 4);
  if (size) out->insert(out->end(), data, data + size);
  uLong crc = crc32(0L, out->data() + start, static_cast<uInt>(size + 4));
  PutU32(out, static_cast<uint32_t>(crc));
}

}  // namespace

bool WriteSurfacePng(const Surface& surface, const std::string& path) {
  if (surface.width <= 0 || surface.height <= 0) return false;
  std::vector<unsigned char> raw;
  raw.reserve(static_cast<size_t>(surface.height) * (1 + surface.width * 3));
  for (int y = 0; y < surface.height; ++y) {
    raw.push_back(0);  // filter: none
    const uint16_t* row = surface.Row(y);
    for (int x = 0; x < surface.width; ++x) {
      uint8_t r, g, b;
      ExpandPixel(row[x], surface.format, &r, &g, &b);
      raw.push_back(r);
      raw.push_back(g);
      raw.push_back(b);
    }
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<unsigned char> packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) return false;

  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  unsigned char header[13];
  uint32_t w = static_cast<uint32_t>(surface.width);
  uint32_t h = static_cast<uint32_t>(surface.height);
  header[0] = static_cast<unsigned char>(w >> 24);
  header[1] = static_cast<unsigned char>(w >> 16);
  header[2] = static_cast<unsigned char>(w >> 8);
  header[3] = static_cast<unsigned char>(w);
  header[4] = static_cast<unsigned char>(h >> 24);
  header[5] = static_cast<unsigned char>(h >> 16);
  header[6] = static_cast<unsigned char>(h >> 8);
  header[7] = static_cast<unsigned char>(h);
  header[8] = 8;   // bit depth
  header[9] = 2;   // colour type: RGB
  header[10] = 0;  // compression
  header[11] = 0;  // filter
  header[12] = 0;  // no interlace
  PutChunk(&png, "IHDR", header, sizeof header);
  PutChunk(&png, "IDAT", packed.data(), packed_size);
  PutChunk(&png, "IEND", nullptr, 0);

  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!f) return false;
  return std::fwrite(png.data(), 1, png.size(), f.get()) == png.size();
}

}  // namespace piko
