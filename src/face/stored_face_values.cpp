#include "face/stored_face_values.h"

std::int32_t StoredFaceValues::DrawFlags(std::int32_t stored, std::int32_t current) {
  return (stored & kMeasureOnly) != 0 ? current : stored;
}

std::uint32_t StoredFaceValues::Colour(std::int64_t stored, std::uint32_t current) {
  return stored >= 0 && stored <= 0xFFFFFF ? static_cast<std::uint32_t>(stored) : current;
}

std::int32_t StoredFaceValues::FontExtent(std::int32_t stored, std::int32_t current, std::int32_t largest) {
  const std::int64_t size = stored < 0 ? -static_cast<std::int64_t>(stored) : stored;
  return size <= largest ? stored : current;
}
