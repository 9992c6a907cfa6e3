// Short-lived worker threads. A worker gets copies of what it needs and
// touches windows only through their handles (PostMessage, InvalidateRect).
#pragma once

#include <functional>

class WorkerThread {
 public:
  // Starts `work` on a new detached thread; false when no thread could be made.
  static bool Start(std::function<void()> work);
};
