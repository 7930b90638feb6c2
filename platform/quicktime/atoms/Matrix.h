#pragma once
#include <array>
#include <cstdint>

// The 3x3 display matrix of movie and track headers: 16.16 values, the last
// column 2.30; identity unless a file says otherwise.
using Matrix = std::array<std::int32_t, 9>;
constexpr Matrix kIdentityMatrix{0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};

template <class Io>
void TransferMatrix(Io& io, Matrix& matrix) {
  for (std::int32_t& value : matrix) io.Field("matrix", value);
}
