// The digest a build seals into its own program file: the SHA-256 of the file
// with these 64 digits as zeros, written into them after linking
// (cmake/seal_image.cmake). A running program holds the digest of the very file
// it was loaded from, so it can tell whether a file is that file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ImageSeal {
 public:
  static constexpr std::size_t kDigits = 64;

  // This program's sealed digest; empty when the build did not seal it.
  static std::string Own();
  // Whether `image` carries one seal, holding `digest`, and hashes to it.
  static bool Matches(const std::vector<std::uint8_t>& image, const std::string& digest);
  // Seals `image` as the build does (for tests); false when it has no empty seal.
  static bool Seal(std::vector<std::uint8_t>& image);
  // The empty seal as it is in an unsealed file: marker and zeros.
  static std::string Placeholder();
};
