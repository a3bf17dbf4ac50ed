#include "gfx/surface_copy.h"

#include <algorithm>
#include <cstring>

#include "base/pixel_loop.h"

#if defined(__x86_64__) || defined(__i386__)
#define PIKO_X86 1
#include <immintrin.h>
#endif

namespace piko {

namespace {

#if defined(PIKO_X86)
// Sixteen pixels at a time where the processor has the wider registers.
PIKO_PIXEL_LOOP __attribute__((target("avx2"))) int CopyRowKeyedWide(uint16_t* dst, const uint16_t* src, int n, uint16_t key) {
  const __m256i k = _mm256_set1_epi16(static_cast<short>(key));
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    __m256i hole = _mm256_cmpeq_epi16(s, k);
    unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(hole));
    if (bits == 0xFFFFFFFFu) continue;
    if (bits != 0) {
      __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
      s = _mm256_blendv_epi8(s, d, hole);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s);
  }
  return i;
}

bool HasWideRegisters() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

}  // namespace

PIKO_PIXEL_LOOP void CopyRowKeyed(uint16_t* dst, const uint16_t* src, int n, uint16_t key) {
  int i = 0;
#if defined(PIKO_X86)
  if (HasWideRegisters()) i = CopyRowKeyedWide(dst, src, n, key);
#endif
#if defined(__SSE2__)
  // Eight pixels at a time. Layers are mostly either wholly transparent or
  // wholly opaque over a block, so those two cases skip the merge.
  const __m128i k = _mm_set1_epi16(static_cast<short>(key));
  for (; i + 8 <= n; i += 8) {
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    __m128i hole = _mm_cmpeq_epi16(s, k);
    int bits = _mm_movemask_epi8(hole);
    if (bits == 0xFFFF) continue;
    if (bits != 0) {
      __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
      s = _mm_or_si128(_mm_and_si128(hole, d), _mm_andnot_si128(hole, s));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
  }
#endif
  for (; i < n; ++i) {
    if (src[i] != key) dst[i] = src[i];
  }
}

void CopyRect(Surface* dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h, bool keyed) {
  // Clip against the source, then against the target.
  if (!ClipCopy(src.width, src.height, dst->width, dst->height, &sx, &sy, &w, &h, &dx, &dy)) return;
  if (!PixelsFit(src.pixels.size(), src.width, sx, sy, w, h) ||
      !PixelsFit(dst->pixels.size(), dst->width, dx, dy, w, h)) {
    return;
  }
  if (keyed && src.keyed) {
    uint16_t only;
    if (src.pixels.Uniform(&only) && only == src.colour_key) return;  // nothing but holes
    for (int y = 0; y < h; ++y) CopyRowKeyed(dst->Row(dy + y) + dx, src.Row(sy + y) + sx, w, src.colour_key);
  } else {
    for (int y = 0; y < h; ++y) std::memmove(dst->Row(dy + y) + dx, src.Row(sy + y) + sx, static_cast<size_t>(w) * 2);
  }
}

void CopyWhole(Surface* dst, const Surface& src, bool keyed) {
  CopyRect(dst, 0, 0, src, 0, 0, src.width, src.height, keyed);
}

}  // namespace piko
