// A 16-bit software surface: the stand-in for the DirectDraw surfaces of the
// original player. Pixels are RGB 5-6-5 by default or 5-5-5 (for tests).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace piko {

// Zeroed pixel storage. The 25 work surfaces take 12 MB, and many games
// never draw on half of them: the storage is made, zeroed, at the first
// access, so a surface nobody touches costs nothing. A game that is started
// again and again (tests, fuzzing) gets back storage it released instead of
// fresh pages, which cost far more to fault in than to clear.
//
// The buffer also knows when it holds one value throughout (after Fill, or
// before its storage is made): a layer filled with the mask colour and
// filled again, or copied keyed while it holds nothing but the key, costs
// nothing. Every access that may write forgets it. Surfaces belong to the
// main thread.
class PixelBuffer {
 public:
  PixelBuffer() = default;
  explicit PixelBuffer(size_t n) : size_(n) {}
  PixelBuffer(const PixelBuffer& other) { *this = other; }
  PixelBuffer(PixelBuffer&& other) noexcept
      : data_(std::move(other.data_)),
        size_(std::exchange(other.size_, 0)),
        uniform_(std::exchange(other.uniform_, false)),
        uniform_value_(other.uniform_value_) {}
  // A copy of the same size reuses the storage it has.
  PixelBuffer& operator=(const PixelBuffer& other) {
    if (this == &other) return *this;
    if (!other.data_) {
      data_.reset();
    } else {
      if (!data_ || size_ != other.size_) data_.reset(Allocate(other.size_, false));
      std::copy(other.data_.get(), other.data_.get() + other.size_, data_.get());
    }
    size_ = other.size_;
    uniform_ = other.uniform_;
    uniform_value_ = other.uniform_value_;
    return *this;
  }
  PixelBuffer& operator=(PixelBuffer&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(uniform_, other.uniform_);
    std::swap(uniform_value_, other.uniform_value_);
    return *this;
  }

  uint16_t* data() {
    uniform_ = false;
    return Storage();
  }
  // Storage for a caller that writes every pixel: made without clearing.
  uint16_t* DataToOverwrite() {
    uniform_ = false;
    if (!data_ && size_) data_.reset(Allocate(size_, false));
    return data_.get();
  }
  const uint16_t* data() const { return Storage(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  uint16_t* begin() { return data(); }
  uint16_t* end() { return data() + size_; }
  const uint16_t* begin() const { return data(); }
  const uint16_t* end() const { return data() + size_; }
  uint16_t& operator[](size_t i) { return data()[i]; }
  uint16_t operator[](size_t i) const { return data()[i]; }
  // True, with the value, while every pixel holds the same one.
  bool Uniform(uint16_t* value) const {
    if (!data_ && size_) {
      *value = 0;
      return true;
    }
    *value = uniform_value_;
    return uniform_;
  }
  // Every pixel set to value.
  void Fill(uint16_t value);
  void assign(size_t n, uint16_t value) {
    if (n != size_) *this = PixelBuffer(n);
    Fill(value);
  }
  bool operator==(const PixelBuffer& other) const { return std::equal(begin(), end(), other.begin(), other.end()); }

 private:
  struct Free {
    void operator()(uint16_t* p) const;
  };
  static uint16_t* Allocate(size_t n, bool zeroed = true);
  uint16_t* Storage() const {
    if (!data_ && size_) data_.reset(Allocate(size_));
    return data_.get();
  }
  mutable std::unique_ptr<uint16_t[], Free> data_;
  size_t size_ = 0;
  bool uniform_ = false;
  uint16_t uniform_value_ = 0;
};

enum class PixelFormat { kRgb565, kRgb555 };

struct Surface {
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::kRgb565;
  PixelBuffer pixels;  // width * height, rows top to bottom
  // Source colour key: pixels equal to colour_key are transparent in keyed
  // copies (DirectDraw's low and high key values were always the same).
  bool keyed = false;
  uint16_t colour_key = 0;

  Surface() = default;
  Surface(int w, int h, PixelFormat f) : width(w), height(h), format(f), pixels(static_cast<size_t>(w) * h) {}

  uint16_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
  const uint16_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
  uint16_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Clips a w by h copy from (sx, sy) of a source to (dx, dy) of a target
// against both. False when nothing is left to copy.
bool ClipCopy(int src_w, int src_h, int dst_w, int dst_h, int* sx, int* sy, int* w, int* h, int* dx, int* dy);

// 8-bit channels of a 16-bit pixel, expanded so that full scale reads 255.
void ExpandPixel(uint16_t pixel, PixelFormat format, uint8_t* r, uint8_t* g, uint8_t* b);

// Writes the surface as an 8-bit RGB PNG. Returns false on any failure.
bool WriteSurfacePng(const Surface& surface, const std::string& path);

}  // namespace piko
