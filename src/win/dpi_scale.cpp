#include "win/dpi_scale.h"

#include <cstdlib>
#include <limits>

int DpiScale::MulDivRound(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  long long quotient = (std::llabs(product) + denominator / 2) / denominator;
  if (product < 0) quotient = -quotient;
  // Out of range only for sizes no display has; keep them at the ends rather than wrap.
  if (quotient > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (quotient < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(quotient);
}

int DpiScale::Scale(int pixels96) const { return MulDivRound(pixels96, dpi_, kBaseDpi); }

int DpiScale::Unscale(int pixels) const { return MulDivRound(pixels, kBaseDpi, dpi_); }
