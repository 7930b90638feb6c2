#include "imaging/ImageResampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace {
constexpr int kBits = 14;  // weights are fractions of 1 << kBits
constexpr std::int32_t kOne = 1 << kBits, kHalf = 1 << (kBits - 1);

double Box(double x) { return std::fabs(x) <= 0.5 ? 1.0 : 0.0; }

double Bilinear(double x) {
  x = std::fabs(x);
  return x < 1.0 ? 1.0 - x : 0.0;
}

double BSpline(double x) {
  x = std::fabs(x);
  if (x < 1.0) return (4.0 + x * x * (3.0 * x - 6.0)) / 6.0;
  if (x < 2.0) return (2.0 - x) * (2.0 - x) * (2.0 - x) / 6.0;
  return 0.0;
}

// The cubics of Mitchell and Netravali with their B and C.
template <int kB6, int kC6>  // B and C times 6, so that 1/3 and 1/2 stay exact
double Cubic(double x) {
  constexpr double b = kB6 / 6.0, c = kC6 / 6.0;
  x = std::fabs(x);
  if (x < 1.0) return ((12 - 9 * b - 6 * c) * x * x * x + (-18 + 12 * b + 6 * c) * x * x + (6 - 2 * b)) / 6.0;
  if (x < 2.0) {
    return ((-b - 6 * c) * x * x * x + (6 * b + 30 * c) * x * x + (-12 * b - 48 * c) * x + (8 * b + 24 * c)) / 6.0;
  }
  return 0.0;
}

double Sinc(double x) {
  if (x == 0.0) return 1.0;
  const double px = M_PI * x;
  return std::sin(px) / px;
}

double Lanczos3(double x) { return std::fabs(x) < 3.0 ? Sinc(x) * Sinc(x / 3.0) : 0.0; }

struct Kernel {
  double reach;  // half its width, in pixels of the larger side
  double (*at)(double);
};

bool KernelOf(int filter, Kernel& kernel) {
  switch (filter) {
    case FILTER_BOX: kernel = {0.5, &Box}; return true;
    case FILTER_BICUBIC: kernel = {2.0, &Cubic<2, 2>}; return true;
    case FILTER_BILINEAR: kernel = {1.0, &Bilinear}; return true;
    case FILTER_BSPLINE: kernel = {2.0, &BSpline}; return true;
    case FILTER_CATMULLROM: kernel = {2.0, &Cubic<0, 3>}; return true;
    case FILTER_LANCZOS3: kernel = {3.0, &Lanczos3}; return true;
    default: return false;
  }
}

// For every pixel of the output line: the first input pixel that counts and
// the weights of it and the ones after it, which add up to exactly one. The
// taps of a pixel come in pairs, the last one padded with a weight of 0.
struct Taps {
  std::vector<int> first, count;       // count is even
  std::vector<std::int16_t> weights;  // `most` a pixel
  int most = 0;

  const std::int16_t* Of(int pixel) const { return &weights[std::size_t(pixel) * std::size_t(most)]; }
};

// Weights in whole numbers; the rounding is given back to the largest, and
// the ones rounded to 0 at either end are left out.
int Quantise(const std::vector<double>& raw, int n, double total, int nearest, std::int16_t* w) {
  if (total == 0.0) {  // between the taps of a box: the nearest pixel
    w[0] = std::int16_t(kOne);
    return nearest;
  }
  std::vector<std::int32_t> whole(std::size_t(n), 0);
  std::int32_t sum = 0;
  int largest = 0;
  for (int k = 0; k < n; ++k) {
    sum += whole[std::size_t(k)] = std::int32_t(std::lround(raw[std::size_t(k)] / total * kOne));
    if (whole[std::size_t(k)] > whole[std::size_t(largest)]) largest = k;
  }
  whole[std::size_t(largest)] += kOne - sum;
  int from = 0, to = n;
  while (whole[std::size_t(from)] == 0) ++from;
  while (whole[std::size_t(to - 1)] == 0) --to;
  for (int k = from; k < to; ++k) w[k - from] = std::int16_t(whole[std::size_t(k)]);
  return from;
}

// A side that keeps its size keeps its pixels, as FreeImage leaves it, even
// with a filter that blurs.
Taps MakeTaps(int in, int out, const Kernel& kernel) {
  const double scale = double(in) / out, stretch = std::max(1.0, scale);
  const double reach = in == out ? 0.0 : kernel.reach * stretch;
  Taps taps;
  taps.most = (int(std::ceil(reach)) + 1) * 2;
  taps.first.resize(std::size_t(out));
  taps.count.resize(std::size_t(out));
  taps.weights.assign(std::size_t(out) * std::size_t(taps.most), 0);
  std::vector<double> raw(std::size_t(taps.most));
  for (int o = 0; o < out; ++o) {
    const double centre = (o + 0.5) * scale;
    const int low = std::max(0, int(std::floor(centre - reach))), high = std::min(in, int(std::ceil(centre + reach)));
    const int n = std::min(std::max(high - low, 1), taps.most - 1);
    double total = 0;
    for (int k = 0; k < n; ++k) total += raw[std::size_t(k)] = kernel.at((low + k + 0.5 - centre) / stretch);
    std::int16_t* w = &taps.weights[std::size_t(o) * std::size_t(taps.most)];
    const int skipped = Quantise(raw, n, total, std::clamp(int(centre) - low, 0, n - 1), w);
    int used = 0;
    for (int k = 0; k < n - skipped; ++k) used = w[k] != 0 ? k + 1 : used;
    taps.first[std::size_t(o)] = low + skipped;
    taps.count[std::size_t(o)] = (used + 1) & ~1;
  }
  return taps;
}

std::uint8_t Clamped(std::int32_t sum) { return std::uint8_t(std::clamp(sum >> kBits, 0, 255)); }

struct Plane {
  std::uint8_t* bits;
  std::size_t pitch;
  int width, height;  // pixels
  std::uint8_t* Row(int y) const { return bits + std::size_t(y) * pitch; }
};

// The two weights of a pair as the one 32-bit number a 16-bit multiply-add takes.
std::int32_t PairOf(const std::int16_t* w) {
  return std::int32_t(std::uint32_t(std::uint16_t(w[1])) << 16 | std::uint16_t(w[0]));
}

#if defined(__SSE2__)
// Twice the SSE2 width where the processor has it; the same sums, so the
// same pixels.
bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

// The 32-byte lanes unpack and pack each on their own, which leaves the
// bytes in their order. Returns how many bytes it mixed.
__attribute__((target("avx2"))) std::size_t MixRowsAvx2(const std::uint8_t* const* rows, const std::int16_t* w,
                                                        int count, std::uint8_t* target, std::size_t length) {
  const __m256i zero = _mm256_setzero_si256();
  std::size_t x = 0;
  for (; x + 32 <= length; x += 32) {
    __m256i sum[4];
    for (__m256i& s : sum) s = _mm256_set1_epi32(kHalf);
    for (int k = 0; k < count; k += 2) {
      const __m256i weights = _mm256_set1_epi32(PairOf(w + k));
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[k] + x));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[k + 1] + x));
      const __m256i low = _mm256_unpacklo_epi8(a, b), high = _mm256_unpackhi_epi8(a, b);
      sum[0] = _mm256_add_epi32(sum[0], _mm256_madd_epi16(_mm256_unpacklo_epi8(low, zero), weights));
      sum[1] = _mm256_add_epi32(sum[1], _mm256_madd_epi16(_mm256_unpackhi_epi8(low, zero), weights));
      sum[2] = _mm256_add_epi32(sum[2], _mm256_madd_epi16(_mm256_unpacklo_epi8(high, zero), weights));
      sum[3] = _mm256_add_epi32(sum[3], _mm256_madd_epi16(_mm256_unpackhi_epi8(high, zero), weights));
    }
    for (__m256i& s : sum) s = _mm256_srai_epi32(s, kBits);
    const __m256i bytes =
        _mm256_packus_epi16(_mm256_packs_epi32(sum[0], sum[1]), _mm256_packs_epi32(sum[2], sum[3]));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + x), bytes);
  }
  return x;
}
#endif

// One output row from `count` input rows (a pair at a time; the padding pair
// member points at a real row with weight 0).
void MixRows(const std::uint8_t* const* rows, const std::int16_t* w, int count, std::uint8_t* target,
             std::size_t length) {
  std::size_t x = 0;
#if defined(__SSE2__)
  if (HasAvx2()) x = MixRowsAvx2(rows, w, count, target, length);
  // Sixteen bytes at a time, every pair of rows multiplied and added in one
  // instruction, the sums kept in registers until the row is done.
  const __m128i zero = _mm_setzero_si128();
  for (; x + 16 <= length; x += 16) {
    __m128i sum[4];
    for (__m128i& s : sum) s = _mm_set1_epi32(kHalf);
    for (int k = 0; k < count; k += 2) {
      const __m128i weights = _mm_set1_epi32(PairOf(w + k));
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + x));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k + 1] + x));
      const __m128i low = _mm_unpacklo_epi8(a, b), high = _mm_unpackhi_epi8(a, b);
      sum[0] = _mm_add_epi32(sum[0], _mm_madd_epi16(_mm_unpacklo_epi8(low, zero), weights));
      sum[1] = _mm_add_epi32(sum[1], _mm_madd_epi16(_mm_unpackhi_epi8(low, zero), weights));
      sum[2] = _mm_add_epi32(sum[2], _mm_madd_epi16(_mm_unpacklo_epi8(high, zero), weights));
      sum[3] = _mm_add_epi32(sum[3], _mm_madd_epi16(_mm_unpackhi_epi8(high, zero), weights));
    }
    for (__m128i& s : sum) s = _mm_srai_epi32(s, kBits);
    const __m128i bytes =
        _mm_packus_epi16(_mm_packs_epi32(sum[0], sum[1]), _mm_packs_epi32(sum[2], sum[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + x), bytes);
  }
#endif
  for (; x < length; ++x) {
    std::int32_t sum = kHalf;
    for (int k = 0; k < count; ++k) sum += w[k] * rows[k][x];
    target[x] = Clamped(sum);
  }
}

#if defined(__SSE2__)
// Two pairs a step: the same 16 bytes in both lanes, each lane shuffled into
// the pair of its pixel, so b0 b1 g0 g1 r0 r1 of one and the next with the
// bytes zero-extended (a0 a1 are 0 at 24 bits). Returns how many it made.
template <int kBytes>
__attribute__((target("avx2"))) int InterleaveAvx2(const std::uint8_t* row, int width, std::int16_t* pairs) {
  alignas(32) std::int8_t order[32];
  for (int lane = 0; lane < 2; ++lane) {
    for (int c = 0; c < 4; ++c) {
      for (int pixel = 0; pixel < 2; ++pixel) {
        std::int8_t* at = &order[lane * 16 + c * 4 + pixel * 2];
        at[0] = c < kBytes ? std::int8_t((lane + pixel) * kBytes + c) : std::int8_t(-1);
        at[1] = -1;
      }
    }
  }
  const __m256i shuffle = _mm256_load_si256(reinterpret_cast<const __m256i*>(order));
  int x = 0;
  for (; x + 2 <= width && std::size_t(x) * kBytes + 16 <= std::size_t(width) * kBytes; x += 2) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + std::size_t(x) * kBytes));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pairs + std::size_t(x) * 8),
                        _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(bytes), shuffle));
  }
  return x;
}

// Every pixel beside the next as 16-bit channels, b0 b1 g0 g1 r0 r1 a0 a1
// (a0 a1 are whatever follows at 24 bits), so that a pair of taps is one
// load and one multiply-add. Loads of 8 bytes stay inside the row; the last
// pixels, and the zero one after them for the padding tap, come from a copy.
template <int kBytes>
void Interleave(const std::uint8_t* row, int width, std::int16_t* pairs) {
  const __m128i zero = _mm_setzero_si128();
  const auto pairAt = [&](const std::uint8_t* pixel, int x) {
    const __m128i two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixel));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pairs + std::size_t(x) * 8),
                     _mm_unpacklo_epi8(_mm_unpacklo_epi8(two, _mm_srli_si128(two, kBytes)), zero));
  };
  const int direct = std::max(0, width - (kBytes == 3 ? 2 : 1));
  int x = HasAvx2() ? std::min(InterleaveAvx2<kBytes>(row, width, pairs), direct) : 0;
  for (; x < direct; ++x) pairAt(row + std::size_t(x) * kBytes, x);
  std::uint8_t tail[4 * 8] = {};
  std::memcpy(tail, row + std::size_t(direct) * kBytes, std::size_t(width - direct) * kBytes);
  for (x = direct; x < width; ++x) pairAt(tail + std::size_t(x - direct) * kBytes, x);
}

// Two output pixels at a time, one a lane, over the taps of the one with
// more (the other's further weights are 0). Returns how many it made.
template <int kBytes>
__attribute__((target("avx2"))) int MixColumnsAvx2(const std::int16_t* pairs, const Taps& taps, int width,
                                                   std::uint8_t* target) {
  int x = 0;
  for (; x + 2 <= width; x += 2) {
    const std::int16_t *w0 = taps.Of(x), *w1 = taps.Of(x + 1);
    const std::int16_t* pair0 = pairs + std::size_t(taps.first[std::size_t(x)]) * 8;
    const std::int16_t* pair1 = pairs + std::size_t(taps.first[std::size_t(x) + 1]) * 8;
    const int count = std::max(taps.count[std::size_t(x)], taps.count[std::size_t(x) + 1]);
    __m256i sum = _mm256_set1_epi32(kHalf);
    for (int k = 0; k < count; k += 2) {
      const __m256i channels = _mm256_inserti128_si256(
          _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pair0 + std::size_t(k) * 8))),
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(pair1 + std::size_t(k) * 8)), 1);
      const __m256i weights = _mm256_inserti128_si256(_mm256_set1_epi32(PairOf(w0 + k)),
                                                      _mm_set1_epi32(PairOf(w1 + k)), 1);
      sum = _mm256_add_epi32(sum, _mm256_madd_epi16(channels, weights));
    }
    const __m256i packed = _mm256_srai_epi32(sum, kBits);
    const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(packed, packed), packed);
    const std::int32_t pixels[2] = {_mm_cvtsi128_si32(_mm256_castsi256_si128(bytes)),
                                    _mm_cvtsi128_si32(_mm256_extracti128_si256(bytes, 1))};
    std::memcpy(target + std::size_t(x) * kBytes, &pixels[0], kBytes);
    std::memcpy(target + std::size_t(x + 1) * kBytes, &pixels[1], kBytes);
  }
  return x;
}

template <int kBytes>
void MixColumns(const std::int16_t* pairs, const Taps& taps, int width, std::uint8_t* target) {
  for (int x = HasAvx2() ? MixColumnsAvx2<kBytes>(pairs, taps, width, target) : 0; x < width; ++x) {
    const std::int16_t* w = taps.Of(x);
    const std::int16_t* pair = pairs + std::size_t(taps.first[std::size_t(x)]) * 8;
    __m128i sum = _mm_set1_epi32(kHalf);
    for (int k = 0; k < taps.count[std::size_t(x)]; k += 2) {
      const __m128i channels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pair + std::size_t(k) * 8));
      sum = _mm_add_epi32(sum, _mm_madd_epi16(channels, _mm_set1_epi32(PairOf(w + k))));
    }
    const __m128i packed = _mm_srai_epi32(sum, kBits);
    const std::int32_t pixel = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(packed, packed), packed));
    std::memcpy(target + std::size_t(x) * kBytes, &pixel, kBytes);
  }
}

// Scales rows across, one at a time. The pairs run on past the row, as far
// as the taps of a neighbour may reach, for the two-pixel mix.
class ColumnMixer {
 public:
  ColumnMixer(const Taps& taps, int inWidth, int outWidth, int bytes)
      : taps_(taps), inWidth_(inWidth), outWidth_(outWidth), bytes_(bytes),
        pairs_((std::size_t(inWidth) + std::size_t(taps.most)) * 8, 0) {}

  void Mix(const std::uint8_t* row, std::uint8_t* target) {
    if (bytes_ == 3) {
      Interleave<3>(row, inWidth_, pairs_.data());
      MixColumns<3>(pairs_.data(), taps_, outWidth_, target);
    } else {
      Interleave<4>(row, inWidth_, pairs_.data());
      MixColumns<4>(pairs_.data(), taps_, outWidth_, target);
    }
  }

 private:
  const Taps& taps_;
  int inWidth_, outWidth_, bytes_;
  std::vector<std::int16_t> pairs_;
};
#else
class ColumnMixer {
 public:
  ColumnMixer(const Taps& taps, int inWidth, int outWidth, int bytes)
      : taps_(taps), outWidth_(outWidth), bytes_(bytes), row_((std::size_t(inWidth) + 1) * std::size_t(bytes), 0) {}

  // The copy gives the padding tap a pixel to read.
  void Mix(const std::uint8_t* row, std::uint8_t* target) {
    std::memcpy(row_.data(), row, row_.size() - std::size_t(bytes_));
    for (int x = 0; x < outWidth_; ++x) {
      const std::int16_t* w = taps_.Of(x);
      const std::uint8_t* pixel = row_.data() + std::size_t(taps_.first[std::size_t(x)]) * std::size_t(bytes_);
      for (int c = 0; c < bytes_; ++c) {
        std::int32_t sum = kHalf;
        for (int k = 0; k < taps_.count[std::size_t(x)]; ++k) sum += w[k] * pixel[k * bytes_ + c];
        target[x * bytes_ + c] = Clamped(sum);
      }
    }
  }

 private:
  const Taps& taps_;
  int outWidth_, bytes_;
  std::vector<std::uint8_t> row_;
};
#endif

// Rows that shrink are mixed first, each straight into one row that is then
// scaled across; rows that grow are mixed from rows already scaled across,
// which are fewer.
void Scale(const Plane& in, const Plane& out, int bytes, const Taps& across, const Taps& down) {
  ColumnMixer columns(across, in.width, out.width, bytes);
  std::vector<const std::uint8_t*> rows(std::size_t(down.most));
  const auto mixDown = [&](const Plane& from, int y, std::uint8_t* target) {
    const int first = down.first[std::size_t(y)], count = down.count[std::size_t(y)];
    for (int k = 0; k < count; ++k) rows[std::size_t(k)] = from.Row(std::min(first + k, from.height - 1));
    MixRows(rows.data(), down.Of(y), count, target, std::size_t(from.width) * std::size_t(bytes));
  };
  if (out.height < in.height) {
    std::vector<std::uint8_t> row(std::size_t(in.width) * std::size_t(bytes));
    for (int y = 0; y < out.height; ++y) {
      mixDown(in, y, row.data());
      columns.Mix(row.data(), out.Row(y));
    }
    return;
  }
  const std::size_t pitch = std::size_t(out.width) * std::size_t(bytes);
  std::vector<std::uint8_t> middle(pitch * std::size_t(in.height));
  const Plane scaled{middle.data(), pitch, out.width, in.height};
  for (int y = 0; y < in.height; ++y) columns.Mix(in.Row(y), scaled.Row(y));
  for (int y = 0; y < out.height; ++y) mixDown(scaled, y, out.Row(y));
}

FiBitmap Allocate(FIBITMAP* like, int width, int height) {
  FiBitmap dib(FreeImage_Allocate(width, height, int(FreeImage_GetBPP(like)), FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                  FI_RGBA_BLUE_MASK),
               &FreeImage_Unload);
  if (!dib) return dib;
  FreeImage_SetDotsPerMeterX(dib.get(), FreeImage_GetDotsPerMeterX(like));
  FreeImage_SetDotsPerMeterY(dib.get(), FreeImage_GetDotsPerMeterY(like));
  return dib;
}

Plane PlaneOf(FIBITMAP* dib) {
  return Plane{FreeImage_GetBits(dib), FreeImage_GetPitch(dib), int(FreeImage_GetWidth(dib)),
               int(FreeImage_GetHeight(dib))};
}
}  // namespace

bool ImageResampler::Takes(FIBITMAP* dib) {
  if (!dib || FreeImage_GetImageType(dib) != FIT_BITMAP || !FreeImage_HasPixels(dib)) return false;
  const unsigned bpp = FreeImage_GetBPP(dib);
  return bpp == 24 || bpp == 32;
}

// Rows are kept bottom-up; the weights are the same read either way.
FiBitmap ImageResampler::Resample(FIBITMAP* dib, int width, int height) const {
  Kernel kernel;
  if (!Takes(dib) || width < 1 || height < 1 || !KernelOf(filter_, kernel)) return FiBitmap(nullptr, &FreeImage_Unload);
  const int inWidth = int(FreeImage_GetWidth(dib)), inHeight = int(FreeImage_GetHeight(dib));
  const int bytes = int(FreeImage_GetBPP(dib)) / 8;
  const Taps across = MakeTaps(inWidth, width, kernel), down = MakeTaps(inHeight, height, kernel);
  FiBitmap result = Allocate(dib, width, height);
  if (result) Scale(PlaneOf(dib), PlaneOf(result.get()), bytes, across, down);
  return result;
}
