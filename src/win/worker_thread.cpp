#include "win/worker_thread.h"

#include <system_error>
#include <thread>

#include "win/window.h"

bool WorkerThread::Start(std::function<void()> work) {
  try {
    std::thread([work = std::move(work)]() {
      try {
        work();
      } catch (...) {
        // A worker reports through its own message boxes; nothing escapes the thread.
        Window::TraceStoppedException("a worker thread");
      }
    }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}
