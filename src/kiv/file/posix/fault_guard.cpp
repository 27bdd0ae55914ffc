// The SIGBUS guard. A fault inside a guarded range gets an anonymous zero page mapped over the
// lost page, straight from the handler, and the faulting instruction is then retried and
// succeeds; no long jump leaves C++ frames half unwound, whatever code runs under the guard.
// Faults outside every guard go on to the handler that was installed before, or end the
// process as they would have without the guard.
#include "kiv/file/posix/fault_guard.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace kiv::file::posix {
namespace {

thread_local FaultGuard* t_innermost = nullptr;
uintptr_t g_pageSize = 4096;
struct sigaction g_previous;

void ForwardToPrevious(int signal, siginfo_t* info, void* context) {
  if ((g_previous.sa_flags & SA_SIGINFO) != 0 && g_previous.sa_sigaction != nullptr) {
    g_previous.sa_sigaction(signal, info, context);
    return;
  }
  if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN &&
      g_previous.sa_handler != nullptr) {
    g_previous.sa_handler(signal);
    return;
  }
  // Default action: with the default disposition back in place, a hardware fault repeats when
  // the instruction is retried and ends the process; a sent signal is raised again.
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(SIGBUS, &fallback, nullptr);
  if (info == nullptr || info->si_code <= 0) raise(signal);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  const bool absorbed = info != nullptr && info->si_code > 0 &&
                        FaultGuard::Absorb(reinterpret_cast<uintptr_t>(info->si_addr));
  errno = savedErrno;
  if (!absorbed) ForwardToPrevious(signal, info, context);
}

void InstallHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize > 0) g_pageSize = static_cast<uintptr_t>(pageSize);
    struct sigaction action = {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previous);
  });
}

}  // namespace

FaultGuard::FaultGuard(void* begin, size_t length, std::atomic<bool>* damaged)
    : begin_(reinterpret_cast<uintptr_t>(begin)),
      end_(reinterpret_cast<uintptr_t>(begin) + length),
      damaged_(damaged),
      outer_(t_innermost) {
  InstallHandler();
  // Published last, after the fields the handler reads.
  std::atomic_signal_fence(std::memory_order_seq_cst);
  t_innermost = this;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

FaultGuard::~FaultGuard() {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  t_innermost = outer_;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

bool FaultGuard::Faulted() const {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  return faulted_.load(std::memory_order_relaxed);
}

bool FaultGuard::Absorb(uintptr_t address) {
  for (FaultGuard* guard = t_innermost; guard != nullptr; guard = guard->outer_) {
    if (address < guard->begin_ || address >= guard->end_) continue;
    const uintptr_t page = address & ~(g_pageSize - 1);
    // Before the page is replaced: whoever writes to the replacement must find the flag set.
    if (guard->damaged_ != nullptr) guard->damaged_->store(true, std::memory_order_seq_cst);
    // The raw system call: async-signal-safe, and out of reach of sanitizer interceptors.
    const long mapped = syscall(SYS_mmap, page, g_pageSize, PROT_READ | PROT_WRITE,
                                MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (reinterpret_cast<void*>(mapped) == MAP_FAILED) return false;
    guard->faulted_.store(true, std::memory_order_relaxed);
    return true;
  }
  return false;
}

}  // namespace kiv::file::posix
