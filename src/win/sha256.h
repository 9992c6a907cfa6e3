// SHA-256 by the system's cryptography (bcrypt.dll from the system folder).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class Sha256 {
 public:
  using Digest = std::array<std::uint8_t, 32>;
  // Nullopt when the system offers no SHA-256.
  static std::optional<Digest> Of(const std::uint8_t* data, std::size_t size);
  // 64 lower-case hexadecimal digits.
  static std::string Hex(const Digest& digest);
};
