#include "face/countdown_face.h"

#include "face/time_formatter.h"

std::string CountdownFace::ExpandText(const std::tm& local, std::uint32_t tickNow) const {
  return TimeFormatter::Expand(format, local, true, countdown ? &*countdown : nullptr, tickNow);
}
