// The operations every shared file has in common.
#include "kiv/file/shared_file.h"

#include "kiv/file/memory_mapped_data.h"

namespace kiv::file {

std::shared_ptr<MemoryMappedData> SharedFile::MapAll() { return Map(first, last); }

}  // namespace kiv::file
