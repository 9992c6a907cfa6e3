// The bits of the stored "Option" word, and the face's own switches as the
// program uses them. The first four bits mean the same in every face; the
// others are the clock window's own (the time-adjustment bits stand with the
// time-adjustment settings). The word is composed from its owners' fields only
// where settings are loaded and saved; a bit no owner knows is kept as it is.
#pragma once

#include <cstdint>

enum FaceOption : std::uint32_t {
  OptTransparent = 0x2,
  OptFrameless = 0x4,
  OptTopmost = 0x8,
  OptInverted = 0x10,
  OptTrayIcon = 0x10000,
  OptMenuIcons = 0x20000,
};

struct FaceOptions {
  bool seeThrough = false;  // the window's shape is cut to the drawn pixels (without a frame)
  bool frameless = false;   // no sizing frame
  bool topmost = true;      // above every window that is not topmost
  bool inverted = false;    // drawn inverted: the user's choice, never a QuickTimer's blink

  static constexpr std::uint32_t kBits = OptTransparent | OptFrameless | OptTopmost | OptInverted;

  // The face's bits of a stored word.
  static FaceOptions FromWord(std::uint32_t word) {
    return FaceOptions{(word & OptTransparent) != 0, (word & OptFrameless) != 0, (word & OptTopmost) != 0,
                       (word & OptInverted) != 0};
  }
  std::uint32_t Word() const {
    return (seeThrough ? std::uint32_t{OptTransparent} : 0) | (frameless ? std::uint32_t{OptFrameless} : 0) |
           (topmost ? std::uint32_t{OptTopmost} : 0) | (inverted ? std::uint32_t{OptInverted} : 0);
  }
  bool operator==(const FaceOptions&) const = default;
};

// The clock window's own switches.
struct ClockOptions {
  bool trayIcon = true;   // an icon in the notification area
  bool menuIcons = true;  // the context menu drawn with pictures

  static constexpr std::uint32_t kBits = OptTrayIcon | OptMenuIcons;

  static ClockOptions FromWord(std::uint32_t word) {
    return ClockOptions{(word & OptTrayIcon) != 0, (word & OptMenuIcons) != 0};
  }
  std::uint32_t Word() const {
    return (trayIcon ? std::uint32_t{OptTrayIcon} : 0) | (menuIcons ? std::uint32_t{OptMenuIcons} : 0);
  }
  bool operator==(const ClockOptions&) const = default;
};
