// A shared file: one open file used by every work of that file through a shared pointer, with
// positioned access inside [first, last], allocation, the execute ban and mapped chunk views.
#pragma once

#include <cstdint>
#include <memory>

#include "kiv/file/bounded_data.h"

namespace kiv::file {

class MemoryMappedData;
class OperationContext;

// How OpenSharedFile opens a file. Any other value opens or creates without creating folders.
enum class OpenMode : int32_t {
  OpenOrCreate = 0,  // create the parent folders; open if it exists, else create
  CreateNew = 1,     // create the parent folders; create, failing if it exists
  OpenExisting = 2,  // open, failing if it is missing
};

class SharedFile : public BoundedData {
 public:
  // context is the filesystem's lock, or null when the file was opened without it.
  SharedFile(uint64_t first, uint64_t last, std::shared_ptr<OperationContext> context)
      : BoundedData(first, last), context_(std::move(context)) {}
  SharedFile(const SharedFile&) = delete;
  SharedFile& operator=(const SharedFile&) = delete;

  // Read moves at most 4096 bytes per call; Read and Write use the file's single position.
  virtual uint64_t GetSize() = 0;
  // Sets an empty file to size bytes with the space reserved, position 0. Answers false and
  // changes nothing if the file is not empty. A full disk is InsufficientSpaceException.
  virtual bool Allocate(uint64_t size) = 0;
  // Lifts the execute ban; answers whether it succeeded.
  virtual bool AllowExecute() = 0;
  // Bans execution until AllowExecute; answers whether it succeeded.
  virtual bool DenyExecute() = 0;
  // Map(first, last).
  virtual std::shared_ptr<MemoryMappedData> MapAll();
  // A writable view of [a, b]; the file must already be allocated past b
  // (InvalidMapException otherwise).
  virtual std::shared_ptr<MemoryMappedData> Map(uint64_t a, uint64_t b) = 0;

  const std::shared_ptr<OperationContext>& Context() const { return context_; }

 private:
  const std::shared_ptr<OperationContext> context_;
};

}  // namespace kiv::file
