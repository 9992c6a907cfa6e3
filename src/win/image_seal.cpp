#include "win/image_seal.h"

#include <algorithm>

#include "win/sha256.h"

// The one copy of the marker in the program; the build finds it by the marker and
// the zeros after it. Read only through a volatile pointer, so that no compiler
// takes the zeros it sees here for what the file holds.
extern "C" __attribute__((used)) const char kVeltaImageSeal[] =
    "VELTA-IMAGE-SEAL:0000000000000000000000000000000000000000000000000000000000000000";

namespace {

constexpr std::size_t kMarkerSize = sizeof kVeltaImageSeal - 1 - ImageSeal::kDigits;

std::string ReadSeal() {
  const volatile char* seal = kVeltaImageSeal;
  std::string text;
  for (std::size_t i = 0; i < sizeof kVeltaImageSeal - 1; ++i) text.push_back(seal[i]);
  return text;
}

std::string Marker() { return ReadSeal().substr(0, kMarkerSize); }

// Where the digits of the one seal in `image` begin; npos when there is none or more than one.
std::size_t DigitsAt(const std::vector<std::uint8_t>& image) {
  const std::string marker = Marker();
  const auto first = std::search(image.begin(), image.end(), marker.begin(), marker.end());
  if (first == image.end() || image.end() - first < static_cast<std::ptrdiff_t>(kMarkerSize + ImageSeal::kDigits))
    return std::string::npos;
  if (std::search(first + 1, image.end(), marker.begin(), marker.end()) != image.end()) return std::string::npos;
  return static_cast<std::size_t>(first - image.begin()) + kMarkerSize;
}

std::string DigestWithEmptySeal(std::vector<std::uint8_t> image, std::size_t at) {
  std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(at), ImageSeal::kDigits, '0');
  const auto digest = Sha256::Of(image.data(), image.size());
  return digest ? Sha256::Hex(*digest) : std::string();
}

}  // namespace

std::string ImageSeal::Own() {
  const std::string digits = ReadSeal().substr(kMarkerSize);
  return digits == std::string(kDigits, '0') ? std::string() : digits;
}

std::string ImageSeal::Placeholder() { return Marker() + std::string(kDigits, '0'); }

bool ImageSeal::Matches(const std::vector<std::uint8_t>& image, const std::string& digest) {
  if (digest.size() != kDigits || digest == std::string(kDigits, '0')) return false;
  const std::size_t at = DigitsAt(image);
  if (at == std::string::npos) return false;
  if (!std::equal(digest.begin(), digest.end(), image.begin() + static_cast<std::ptrdiff_t>(at))) return false;
  return DigestWithEmptySeal(image, at) == digest;
}

bool ImageSeal::Seal(std::vector<std::uint8_t>& image) {
  const std::size_t at = DigitsAt(image);
  if (at == std::string::npos) return false;
  const std::string digest = DigestWithEmptySeal(image, at);
  if (digest.size() != kDigits) return false;
  std::copy(digest.begin(), digest.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}
