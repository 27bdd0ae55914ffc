// The local ceiling of a download: 1 MiB chunks of a freshly allocated file (1 GiB by default)
// written in 16 KiB blocks and checksummed, once through mapped views as the engine does (map,
// Fetch, Write, Visit with CRC-32, release), once with pwrite and a checksum of the buffer. Both
// start each pass on a new file, so neither finds its pages cached. Prints the ratios at the end.
//
//   KIV_BENCH_DIR   folder for the scratch file (default $TMPDIR, else /tmp); removed afterwards
//   KIV_BENCH_MIB   file size in MiB (default 1024)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "kiv/file/crc32.h"
#include "kiv/file/memory_mapped_data.h"
#include "kiv/file/posix/filesystem_impl.h"

namespace {

namespace fs = std::filesystem;
using kiv::file::Crc32;
using kiv::file::MemoryMappedData;
using kiv::file::OpenMode;
using kiv::file::SharedFile;

constexpr uint64_t kChunk = 1 << 20;
constexpr uint32_t kBlock = 16 << 10;

uint64_t FileBytes() {
  const char* mib = std::getenv("KIV_BENCH_MIB");
  const uint64_t value = mib != nullptr ? std::strtoull(mib, nullptr, 10) : 1024;
  return (value == 0 ? 1024 : value) << 20;
}

fs::path ScratchFolder() {
  static const fs::path folder = [] {
    const char* chosen = std::getenv("KIV_BENCH_DIR");
    if (chosen == nullptr || *chosen == '\0') chosen = std::getenv("TMPDIR");
    std::string pattern = std::string(chosen != nullptr && *chosen != '\0' ? chosen : "/tmp") +
                          "/kiv-file-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::cerr << "cannot make a folder like " << pattern << "\n";
      std::exit(1);
    }
    return fs::path(pattern);
  }();
  return folder;
}

// The bytes that "arrive" for every chunk.
const std::vector<uint8_t>& Received() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> data(kChunk);
    std::mt19937 random(1);
    for (uint8_t& b : data) b = static_cast<uint8_t>(random());
    return data;
  }();
  return bytes;
}

// A new file of size bytes, allocated, in place of the last pass's.
std::shared_ptr<SharedFile> FreshFile(kiv::file::Filesystem& filesystem, uint64_t size) {
  filesystem.Remove(ScratchFolder() / "chunks.bin", false, false);
  auto file = filesystem.OpenSharedFile(ScratchFolder(), "chunks.bin", OpenMode::OpenOrCreate, true,
                                        0, size - 1);
  file->Allocate(size);
  return file;
}

void MappedChunks(benchmark::State& state, bool fetch) {
  kiv::file::posix::FilesystemImpl filesystem;
  const uint64_t size = FileBytes();
  const std::vector<uint8_t>& received = Received();
  uint64_t checksums = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto file = FreshFile(filesystem, size);
    state.ResumeTiming();
    for (uint64_t first = 0; first < size; first += kChunk) {
      std::shared_ptr<MemoryMappedData> view = file->Map(first, first + kChunk - 1);
      if (fetch) view->Fetch();
      for (uint64_t at = 0; at < kChunk; at += kBlock) view->Write(received.data() + at, kBlock);
      checksums += view->Visit(
          [](uint8_t* data, uint32_t length) -> uint64_t { return Crc32(data, length); });
    }
    state.PauseTiming();
    file.reset();
    state.ResumeTiming();
  }
  benchmark::DoNotOptimize(checksums);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_MappedChunks(benchmark::State& state) { MappedChunks(state, true); }
void BM_MappedChunksWithoutFetch(benchmark::State& state) { MappedChunks(state, false); }

void BM_PwriteChunks(benchmark::State& state) {
  kiv::file::posix::FilesystemImpl filesystem;
  const uint64_t size = FileBytes();
  const std::vector<uint8_t>& received = Received();
  uint64_t checksums = 0;
  for (auto _ : state) {
    state.PauseTiming();
    FreshFile(filesystem, size).reset();
    const int fd = open((ScratchFolder() / "chunks.bin").c_str(), O_RDWR | O_CLOEXEC);
    state.ResumeTiming();
    for (uint64_t first = 0; first < size; first += kChunk) {
      for (uint64_t at = 0; at < kChunk; at += kBlock) {
        if (pwrite(fd, received.data() + at, kBlock, static_cast<off_t>(first + at)) != kBlock) {
          state.SkipWithError("pwrite failed");
          break;
        }
      }
      checksums += Crc32(received.data(), kChunk);
    }
    state.PauseTiming();
    close(fd);
    state.ResumeTiming();
  }
  benchmark::DoNotOptimize(checksums);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

BENCHMARK(BM_PwriteChunks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_MappedChunks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_MappedChunksWithoutFetch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Keeps each benchmark's throughput (the median when repeated) so that the ratios can be
// printed after the table. Run with --benchmark_repetitions=5
// --benchmark_enable_random_interleaving=true on a busy machine.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto it = run.counters.find("bytes_per_second");
      if (it == run.counters.end()) continue;
      const std::string name = run.run_name.function_name;
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") medians_[name] = it->second.value;
      } else {
        singles_[name] = it->second.value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::map<std::string, double> rates = singles_;
    for (const auto& [name, rate] : medians_) rates[name] = rate;
    const auto pwrite = rates.find("BM_PwriteChunks");
    if (pwrite == rates.end() || pwrite->second <= 0) return;
    std::cout << (medians_.empty() ? "" : "medians: ") << "\n";
    for (const auto& [name, rate] : rates) {
      std::cout << "  " << name << ": " << rate / 1e9 << " GB/s, time "
                << pwrite->second / rate << "x that of pwrite\n";
    }
  }

 private:
  std::map<std::string, double> singles_;
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  std::error_code ec;
  fs::remove_all(ScratchFolder(), ec);
  benchmark::Shutdown();
  return 0;
}
