// The process-wide lock of file work: operations and shared files that ask for it hold this
// recursive mutex while they touch the disk, so that all such file work is serialised.
#pragma once

#include <memory>
#include <mutex>
#include <optional>

namespace kiv::file {

class OperationContext {
 public:
  // Recursive: a thread inside a locked shared-file operation may call other locked ones.
  std::recursive_mutex& Mutex() { return mutex_; }

 private:
  std::recursive_mutex mutex_;
};

// Holds the context's lock for its lifetime when a context is given, and nothing otherwise.
class OptionalContextLock {
 public:
  explicit OptionalContextLock(OperationContext* context) {
    if (context != nullptr) lock_.emplace(context->Mutex());
  }
  explicit OptionalContextLock(const std::shared_ptr<OperationContext>& context)
      : OptionalContextLock(context.get()) {}

 private:
  std::optional<std::unique_lock<std::recursive_mutex>> lock_;
};

}  // namespace kiv::file
