#include "imaging/ImageResampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
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
// the weights of it and the ones after it, which add up to exactly one.
struct Taps {
  std::vector<int> first, count;
  std::vector<std::int32_t> weights;  // `most` a pixel
  int most = 0;

  const std::int32_t* Of(int pixel) const { return &weights[std::size_t(pixel) * std::size_t(most)]; }
};

Taps MakeTaps(int in, int out, const Kernel& kernel) {
  const double scale = double(in) / out, stretch = std::max(1.0, scale), reach = kernel.reach * stretch;
  Taps taps;
  taps.most = int(std::ceil(reach)) * 2 + 1;
  taps.first.resize(std::size_t(out));
  taps.count.resize(std::size_t(out));
  taps.weights.assign(std::size_t(out) * std::size_t(taps.most), 0);
  std::vector<double> raw(std::size_t(taps.most));
  for (int o = 0; o < out; ++o) {
    const double centre = (o + 0.5) * scale;
    const int low = std::max(0, int(std::floor(centre - reach))), high = std::min(in, int(std::ceil(centre + reach)));
    const int n = std::min(std::max(high - low, 1), taps.most);
    double total = 0;
    for (int k = 0; k < n; ++k) total += raw[std::size_t(k)] = kernel.at((low + k + 0.5 - centre) / stretch);
    std::int32_t* w = &taps.weights[std::size_t(o) * std::size_t(taps.most)];
    if (total == 0.0) {  // between the taps of a box: the nearest pixel
      w[std::clamp(int(centre) - low, 0, n - 1)] = kOne;
    } else {
      std::int32_t sum = 0;
      int largest = 0;
      for (int k = 0; k < n; ++k) {
        sum += w[k] = std::int32_t(std::lround(raw[std::size_t(k)] / total * kOne));
        if (w[k] > w[largest]) largest = k;
      }
      w[largest] += kOne - sum;
    }
    taps.first[std::size_t(o)] = low;
    taps.count[std::size_t(o)] = n;
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

// sums[x] += weight0 * first[x] + weight1 * second[x] for every byte of two rows.
void AddRows(std::int32_t* sums, const std::uint8_t* first, const std::uint8_t* second, std::int32_t weight0,
             std::int32_t weight1, std::size_t length) {
  std::size_t x = 0;
#if defined(__SSE2__)
  // Bytes of the two rows side by side as 16-bit pairs, each pair multiplied
  // by the two weights and added in one instruction.
  const __m128i zero = _mm_setzero_si128();
  const __m128i weights = _mm_set1_epi32(std::int32_t(std::uint32_t(weight1) << 16 | std::uint16_t(weight0)));
  for (; x + 16 <= length; x += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + x));
    const __m128i aLow = _mm_unpacklo_epi8(a, zero), aHigh = _mm_unpackhi_epi8(a, zero);
    const __m128i bLow = _mm_unpacklo_epi8(b, zero), bHigh = _mm_unpackhi_epi8(b, zero);
    const __m128i parts[4] = {_mm_madd_epi16(_mm_unpacklo_epi16(aLow, bLow), weights),
                              _mm_madd_epi16(_mm_unpackhi_epi16(aLow, bLow), weights),
                              _mm_madd_epi16(_mm_unpacklo_epi16(aHigh, bHigh), weights),
                              _mm_madd_epi16(_mm_unpackhi_epi16(aHigh, bHigh), weights)};
    for (int i = 0; i < 4; ++i) {
      __m128i* sum = reinterpret_cast<__m128i*>(sums + x + 4 * i);
      _mm_storeu_si128(sum, _mm_add_epi32(_mm_loadu_si128(sum), parts[i]));
    }
  }
#endif
  for (; x < length; ++x) sums[x] += weight0 * first[x] + weight1 * second[x];
}

// Each output row mixes whole input rows, two at a time.
void ScaleRows(const Plane& in, const Plane& out, int bytes, const Taps& taps) {
  const std::size_t length = std::size_t(in.width) * std::size_t(bytes);
  std::vector<std::int32_t> sums(length);
  for (int y = 0; y < out.height; ++y) {
    std::fill(sums.begin(), sums.end(), kHalf);
    const std::int32_t* w = taps.Of(y);
    const int first = taps.first[std::size_t(y)], count = taps.count[std::size_t(y)];
    for (int k = 0; k < count; k += 2) {
      // An odd last row goes with itself at weight 0.
      const int next = k + 1 < count ? k + 1 : k;
      AddRows(sums.data(), in.Row(first + k), in.Row(first + next), w[k], k + 1 < count ? w[k + 1] : 0, length);
    }
    std::uint8_t* target = out.Row(y);
    for (std::size_t x = 0; x < length; ++x) target[x] = Clamped(sums[x]);
  }
}

template <int kBytes>
void ScaleColumns(const Plane& in, const Plane& out, const Taps& taps) {
  for (int y = 0; y < in.height; ++y) {
    const std::uint8_t* row = in.Row(y);
    std::uint8_t* target = out.Row(y);
    for (int x = 0; x < out.width; ++x) {
      std::int32_t sums[kBytes];
      std::fill(sums, sums + kBytes, kHalf);
      const std::int32_t* w = taps.Of(x);
      const std::uint8_t* pixel = row + std::size_t(taps.first[std::size_t(x)]) * kBytes;
      for (int k = 0; k < taps.count[std::size_t(x)]; ++k, pixel += kBytes) {
        for (int c = 0; c < kBytes; ++c) sums[c] += w[k] * pixel[c];
      }
      for (int c = 0; c < kBytes; ++c) target[x * kBytes + c] = Clamped(sums[c]);
    }
  }
}

void ScaleColumns(const Plane& in, const Plane& out, int bytes, const Taps& taps) {
  if (bytes == 3) {
    ScaleColumns<3>(in, out, taps);
  } else {
    ScaleColumns<4>(in, out, taps);
  }
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
  // The pass across runs on the fewer rows: after the rows when they shrink.
  const bool rowsFirst = height < inHeight;
  FiBitmap middle = rowsFirst ? Allocate(dib, inWidth, height) : Allocate(dib, width, inHeight);
  FiBitmap result = Allocate(dib, width, height);
  if (!middle || !result) return FiBitmap(nullptr, &FreeImage_Unload);
  if (rowsFirst) {
    ScaleRows(PlaneOf(dib), PlaneOf(middle.get()), bytes, down);
    ScaleColumns(PlaneOf(middle.get()), PlaneOf(result.get()), bytes, across);
  } else {
    ScaleColumns(PlaneOf(dib), PlaneOf(middle.get()), bytes, across);
    ScaleRows(PlaneOf(middle.get()), PlaneOf(result.get()), bytes, down);
  }
  return result;
}
