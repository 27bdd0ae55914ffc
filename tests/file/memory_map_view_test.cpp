#include "kiv/file/posix/memory_map_view.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "file/scratch_folder.h"
#include "kiv/file/crc32.h"
#include "kiv/file/exceptions.h"
#include "kiv/file/posix/filesystem_impl.h"

// AddressSanitizer has a SIGBUS handler of its own; the guard replaces it (chaining to it for
// faults it does not own), which ASan allows by default. Said here so that a stricter
// ASAN_OPTIONS does not silently turn the lost-page tests into crashes.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() { return "allow_user_segv_handler=1"; }
#endif

namespace kiv::file::posix {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

const uint64_t kPage = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));

std::string Pattern(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
}

class MemoryMapViewTest : public ::testing::Test {
 protected:
  // A file of size bytes with known content, opened over its whole length.
  std::shared_ptr<SharedFile> OpenFile(size_t size) {
    content_ = Pattern(size, 11);
    scratch_.WriteFile("f.bin", content_);
    return filesystem_.OpenSharedFile(scratch_.Path(), "f.bin", OpenMode::OpenExisting, true, 0,
                                      size - 1);
  }
  std::string OnDisk() const { return ScratchFolder::ReadFile(scratch_ / "f.bin"); }

  FilesystemImpl filesystem_;
  ScratchFolder scratch_;
  std::string content_;
};

TEST_F(MemoryMapViewTest, ViewsStartOnThePageBelowFirstAndDataPointsAtFirst) {
  auto file = OpenFile(8 * kPage);
  struct Case {
    const char* name;
    uint64_t first, last;
    uint32_t delta;
  };
  const Case kCases[] = {
      {"page-aligned", 2 * kPage, 3 * kPage - 1, 0},
      {"368 bytes past a page", 3 * kPage + 368, 5 * kPage + 99, 368},
      {"last byte of a page", kPage - 1, kPage, static_cast<uint32_t>(kPage - 1)},
      {"one byte at the end of the file", 8 * kPage - 1, 8 * kPage - 1,
       static_cast<uint32_t>(kPage - 1)},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    auto data = file->Map(c.first, c.last);
    auto* view = dynamic_cast<MemoryMapView*>(data.get());
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(c.delta, view->Delta());
    EXPECT_EQ(c.last - c.first + 1 + c.delta, view->MappedLength());
    EXPECT_EQ(c.first, view->Tell());
    const size_t length = c.last - c.first + 1;
    EXPECT_EQ(0, std::memcmp(content_.data() + c.first, view->Data(), length));
    const uint64_t crc = view->Visit([&](uint8_t* bytes, uint32_t count) -> uint64_t {
      EXPECT_EQ(view->Data(), bytes);
      EXPECT_EQ(length, count);
      return Crc32(bytes, count);
    });
    EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(content_.data() + c.first), length), crc);
  }
}

TEST_F(MemoryMapViewTest, PositionedAccessStaysInsideTheView) {
  auto file = OpenFile(4 * kPage);
  const uint64_t first = kPage + 100;
  const uint64_t last = first + 5000 - 1;
  auto view = file->Map(first, last);

  EXPECT_EQ(nullptr, view->Advance(0));
  uint8_t* at = view->Advance(10);
  EXPECT_EQ(view->Data(), at);
  EXPECT_EQ(first + 10, view->Tell());
  EXPECT_THROW(view->Advance(5000 - 9), OutOfBoundsException);
  EXPECT_EQ(first + 10, view->Tell());

  // Ten bytes at last - 5 would cross the end: refused, nothing written.
  view->Seek(last - 5);
  EXPECT_THROW(view->Write("0123456789", 10), OutOfBoundsException);
  EXPECT_EQ(last - 5, view->Tell());
  EXPECT_EQ(6u, view->Write("ABCDEF", 6));
  EXPECT_EQ(last + 1, view->Tell());
  EXPECT_THROW(view->Write("x", 1), OutOfBoundsException);

  EXPECT_THROW(view->Seek(first - 1), OutOfBoundsException);
  EXPECT_THROW(view->Seek(last + 1), OutOfBoundsException);

  // Read moves at most 4096 bytes, and never past last.
  view->Seek(first);
  std::string buffer(10000, '\0');
  EXPECT_EQ(4096u, view->Read(buffer.data(), 10000));
  EXPECT_EQ(content_.substr(first, 4096), buffer.substr(0, 4096));
  EXPECT_EQ(first + 4096, view->Tell());
  EXPECT_THROW(view->Read(buffer.data(), 4096), OutOfBoundsException);
  EXPECT_EQ(first + 4096, view->Tell());
  EXPECT_EQ(0u, view->Read(buffer.data(), 0));

  view->Fetch();
  view.reset();  // flushes
  std::string expected = content_;
  expected.replace(last - 5, 6, "ABCDEF");
  EXPECT_EQ(expected, OnDisk());
}

TEST_F(MemoryMapViewTest, ViewsOutliveTheirSharedFile) {
  auto file = OpenFile(3 * kPage);
  auto view = file->Map(kPage + 1, 2 * kPage);
  file.reset();
  EXPECT_EQ(5u, view->Write("later", 5));
  view.reset();
  std::string expected = content_;
  expected.replace(kPage + 1, 5, "later");
  EXPECT_EQ(expected, OnDisk());
}

// Many threads fill disjoint, unaligned chunks of one allocated file through their own views,
// in blocks of uneven sizes, and verify each chunk in place afterwards.
TEST_F(MemoryMapViewTest, ThreadsWritingDisjointViewsProduceExactlyTheIntendedBytes) {
  constexpr uint64_t kChunk = 50001;
  constexpr uint64_t kChunks = 48;
  constexpr uint64_t kSize = kChunk * kChunks - 777;  // a short last chunk
  const std::string expected = Pattern(kSize, 5);
  auto file = filesystem_.OpenSharedFile(scratch_.Path(), "out.bin", OpenMode::OpenOrCreate, true,
                                         0, kSize - 1);
  ASSERT_TRUE(file->Allocate(kSize));

  std::atomic<uint64_t> next{0};
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937 random(t);
      for (uint64_t chunk = next++; chunk < kChunks; chunk = next++) {
        const uint64_t first = chunk * kChunk;
        const uint64_t last = std::min(first + kChunk, kSize) - 1;
        auto view = file->Map(first, last);
        view->Fetch();
        for (uint64_t at = first; at <= last;) {
          const uint32_t block =
              static_cast<uint32_t>(std::min<uint64_t>(1 + random() % 20000, last - at + 1));
          view->Write(expected.data() + at, block);
          at += block;
        }
        const uint64_t crc = view->Visit(
            [](uint8_t* bytes, uint32_t length) -> uint64_t { return Crc32(bytes, length); });
        if (crc != Crc32(expected.data() + first, last - first + 1)) ++mismatches;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(0, mismatches.load());
  file.reset();
  EXPECT_TRUE(ScratchFolder::ReadFile(scratch_ / "out.bin") == expected);
}

// The file loses its tail under a view, as when another process truncates it or the device
// fails: every guarded access to the lost pages is InvalidMapException, never a crash.
TEST_F(MemoryMapViewTest, LostPagesUnderAViewAreInvalidMapNotACrash) {
  struct Case {
    const char* name;
    std::function<void(MemoryMappedData&)> touch;
  };
  const Case kCases[] = {
      {"Read",
       [](MemoryMappedData& view) {
         view.Seek(view.first + 5 * kPage);
         char buffer[64];
         view.Read(buffer, sizeof buffer);
       }},
      {"Write",
       [](MemoryMappedData& view) {
         view.Seek(view.first + 5 * kPage);
         const std::string block(2 * kPage, 'w');
         view.Write(block.data(), static_cast<uint32_t>(block.size()));
       }},
      {"Visit",
       [](MemoryMappedData& view) {
         view.Visit([](uint8_t* bytes, uint32_t length) -> uint64_t {
           std::string owned(16, 'x');  // unwound normally: the visitor runs to its end
           return Crc32(bytes, length) + owned.size();
         });
       }},
      {"Fetch", [](MemoryMappedData& view) { view.Fetch(); }},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    auto file = OpenFile(8 * kPage);
    auto view = file->Map(100, 8 * kPage - 1);
    ASSERT_EQ(0, truncate((scratch_ / "f.bin").c_str(), 2 * kPage));
    EXPECT_THROW(c.touch(*view), InvalidMapException);
    // The view stays refused: its lost bytes are no longer the file's.
    char buffer[16];
    view->Seek(view->first);
    EXPECT_THROW(view->Read(buffer, sizeof buffer), InvalidMapException);
    EXPECT_THROW(view->Visit([](uint8_t*, uint32_t) -> uint64_t { return 0; }),
                 InvalidMapException);
    // A fresh view of what is left still works.
    auto intact = file->Map(0, 2 * kPage - 1);
    EXPECT_EQ(16u, intact->Read(buffer, sizeof buffer));
    EXPECT_EQ(0, std::memcmp(content_.data(), buffer, sizeof buffer));
  }
}

// Views are cut from one mapping of the file. Once a lost page was replaced in it, the views
// that share it are refused too, and views made afterwards get a new mapping that reaches the
// file again (here after the file regained its length).
TEST_F(MemoryMapViewTest, AfterALostPageOtherViewsAreRefusedAndNewViewsReachTheFile) {
  auto file = OpenFile(8 * kPage);
  auto lost = file->Map(4 * kPage + 10, 6 * kPage - 1);
  auto neighbour = file->Map(3 * kPage, 4 * kPage + 9);  // shares the first lost page
  ASSERT_EQ(0, truncate((scratch_ / "f.bin").c_str(), 2 * kPage));
  EXPECT_THROW(lost->Fetch(), InvalidMapException);
  EXPECT_THROW(lost->Write("x", 1), InvalidMapException);
  // The neighbour's write would land in the replaced page, not in the file.
  EXPECT_THROW(neighbour->Write("lost", 4), InvalidMapException);
  EXPECT_THROW(neighbour->Advance(1), InvalidMapException);

  ASSERT_EQ(0, truncate((scratch_ / "f.bin").c_str(), 8 * kPage));
  auto fresh = file->Map(4 * kPage, 4 * kPage + 99);
  fresh->Seek(4 * kPage + 10);
  EXPECT_EQ(5u, fresh->Write("fresh", 5));
  fresh.reset();
  lost.reset();
  neighbour.reset();
  file.reset();
  EXPECT_EQ("fresh", OnDisk().substr(4 * kPage + 10, 5));
}

// The guard covers only guarded code: a lost page touched through a raw pointer still ends the
// process, as it would without the guard.
TEST_F(MemoryMapViewTest, UnguardedTouchOfALostPageStillEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto file = OpenFile(8 * kPage);
  auto view = file->Map(0, 8 * kPage - 1);
  view->Fetch();  // the guard is installed by now
  ASSERT_EQ(0, truncate((scratch_ / "f.bin").c_str(), kPage));
  EXPECT_DEATH(
      {
        volatile uint8_t* bytes = view->Data();
        bytes[4 * kPage] = 1;
      },
      "");
}

}  // namespace
}  // namespace kiv::file::posix
