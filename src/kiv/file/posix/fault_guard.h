// Guards a stretch of code that touches a mapped view: an I/O error under the view arrives as
// SIGBUS, which would end the process. Inside a guard, the lost page is replaced by a zero page
// so the code runs on to its end, and the guard records the fault for the caller to throw.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace kiv::file::posix {

class FaultGuard {
 public:
  // Guards [begin, begin + length) on this thread until destruction. Guards nest. damaged, if
  // given, is set before a lost page is replaced, so that every other user of the same mapping
  // can tell that it no longer reaches the file.
  FaultGuard(void* begin, size_t length, std::atomic<bool>* damaged = nullptr);
  ~FaultGuard();
  FaultGuard(const FaultGuard&) = delete;
  FaultGuard& operator=(const FaultGuard&) = delete;

  // Whether a page of the range was lost since the guard began.
  bool Faulted() const;

  // Called from the signal handler: absorbs a fault at address if a guard of this thread covers
  // it. Public only for the handler.
  static bool Absorb(uintptr_t address);

 private:
  const uintptr_t begin_;
  const uintptr_t end_;
  std::atomic<bool> faulted_{false};
  std::atomic<bool>* const damaged_;
  FaultGuard* const outer_;
};

}  // namespace kiv::file::posix
