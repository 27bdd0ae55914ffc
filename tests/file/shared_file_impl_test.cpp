#include "kiv/file/posix/shared_file_impl.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "file/private_tmpfs.h"
#include "file/scratch_folder.h"
#include "kiv/file/exceptions.h"
#include "kiv/file/memory_mapped_data.h"
#include "kiv/file/posix/filesystem_impl.h"

namespace kiv::file::posix {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

constexpr uint64_t kEnd = UINT64_MAX;

class SharedFileImplTest : public ::testing::Test {
 protected:
  std::shared_ptr<SharedFile> Open(const std::string& name, OpenMode mode, uint64_t first = 0,
                                   uint64_t last = kEnd) {
    return filesystem_.OpenSharedFile(scratch_.Path(), name, mode, true, first, last);
  }

  FilesystemImpl filesystem_;
  ScratchFolder scratch_;
};

TEST_F(SharedFileImplTest, OpenModesCreateOpenOrRefuse) {
  enum Outcome { kOpened, kInUse, kNotFound, kBadPath };
  struct Case {
    const char* name;
    OpenMode mode;
    const char* file;
    bool existsBefore;
    Outcome outcome;
  };
  const OpenMode kOther = static_cast<OpenMode>(7);
  const Case kCases[] = {
      {"open-or-create makes the file and its folders", OpenMode::OpenOrCreate, "a/b/new.bin",
       false, kOpened},
      {"open-or-create keeps an existing file", OpenMode::OpenOrCreate, "old.bin", true, kOpened},
      {"create-new makes the file and its folders", OpenMode::CreateNew, "c/new.bin", false,
       kOpened},
      {"create-new refuses an existing file", OpenMode::CreateNew, "old.bin", true, kInUse},
      {"open-existing opens", OpenMode::OpenExisting, "old.bin", true, kOpened},
      {"open-existing refuses a missing file", OpenMode::OpenExisting, "new.bin", false, kNotFound},
      {"open-existing creates no folders", OpenMode::OpenExisting, "d/new.bin", false, kNotFound},
      {"another mode creates the file", kOther, "new.bin", false, kOpened},
      {"another mode creates no folders", kOther, "e/new.bin", false, kNotFound},
      {"a folder is not a shared file", OpenMode::OpenOrCreate, "folder", true, kBadPath},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScratchFolder scratch;
    if (c.existsBefore) {
      if (std::string(c.file) == "folder") {
        fs::create_directory(scratch / c.file);
      } else {
        scratch.WriteFile(c.file, "old content");
      }
    }
    auto open = [&] {
      return filesystem_.OpenSharedFile(scratch.Path(), c.file, c.mode, false, 3, kEnd);
    };
    switch (c.outcome) {
      case kOpened: {
        auto file = open();
        EXPECT_EQ(3u, file->Tell());
        EXPECT_EQ(c.existsBefore ? 11u : 0u, file->GetSize());
        EXPECT_TRUE(fs::is_regular_file(scratch / c.file));
        EXPECT_EQ(nullptr, file->Context());
        break;
      }
      case kInUse:
        EXPECT_THROW(open(), InUseException);
        break;
      case kNotFound:
        EXPECT_THROW(open(), NotFoundException);
        EXPECT_FALSE(fs::exists(scratch / c.file));
        break;
      case kBadPath:
        EXPECT_THROW(open(), BadPathException);
        break;
    }
  }
  // The folder itself must exist, whatever the mode.
  EXPECT_THROW(filesystem_.OpenSharedFile(scratch_ / "missing", "x.bin", OpenMode::OpenOrCreate,
                                          true, 0, kEnd),
               NotFoundException);
}

TEST_F(SharedFileImplTest, OpenedWithTheOperationContextSharesTheFilesystemLock) {
  auto file = Open("f.bin", OpenMode::OpenOrCreate);
  EXPECT_EQ(filesystem_.GetOperationContext(scratch_.Path()), file->Context());
}

TEST_F(SharedFileImplTest, WritesAndReadsStayInsideTheRange) {
  scratch_.WriteFile("f.bin", std::string(40, '.'));
  auto file = Open("f.bin", OpenMode::OpenExisting, 10, 29);
  struct Case {
    const char* name;
    uint64_t position;
    uint32_t size;
    bool fits;
  };
  const Case kCases[] = {
      {"exactly the range", 10, 20, true},
      {"last byte", 29, 1, true},
      {"ends one past last", 26, 5, false},
      {"ten bytes at last - 5", 24, 10, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string before = ScratchFolder::ReadFile(scratch_ / "f.bin");
    file->Seek(c.position);
    const std::string block(c.size, 'W');
    if (c.fits) {
      EXPECT_EQ(c.size, file->Write(block.data(), c.size));
      EXPECT_EQ(c.position + c.size, file->Tell());
      file->Seek(c.position);
      std::string back(c.size, '\0');
      EXPECT_EQ(c.size, file->Read(back.data(), c.size));
      EXPECT_EQ(block, back);
    } else {
      EXPECT_THROW(file->Write(block.data(), c.size), OutOfBoundsException);
      EXPECT_EQ(before, ScratchFolder::ReadFile(scratch_ / "f.bin")) << "nothing is written";
      std::string back(c.size, '\0');
      EXPECT_THROW(file->Read(back.data(), c.size), OutOfBoundsException);
      EXPECT_EQ(c.position, file->Tell());
    }
  }
  EXPECT_THROW(file->Seek(9), OutOfBoundsException);
  EXPECT_THROW(file->Seek(30), OutOfBoundsException);
  EXPECT_EQ(0u, file->Write("x", 0));
  EXPECT_EQ(0u, file->Read(nullptr, 0));
  EXPECT_EQ(std::string(10, '.') + std::string(20, 'W') + std::string(10, '.'),
            ScratchFolder::ReadFile(scratch_ / "f.bin"));
}

TEST_F(SharedFileImplTest, ReadMovesAtMost4096BytesAndStopsAtTheEndOfTheFile) {
  std::string content(10000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  scratch_.WriteFile("f.bin", content);
  auto file = Open("f.bin", OpenMode::OpenExisting);
  std::string buffer(10000, '\0');
  EXPECT_EQ(4096u, file->Read(buffer.data(), 10000));
  EXPECT_EQ(content.substr(0, 4096), buffer.substr(0, 4096));
  EXPECT_EQ(4096u, file->Tell());
  file->Seek(9000);
  EXPECT_EQ(1000u, file->Read(buffer.data(), 4096));
  EXPECT_EQ(content.substr(9000), buffer.substr(0, 1000));
  EXPECT_EQ(0u, file->Read(buffer.data(), 4096));
}

TEST_F(SharedFileImplTest, AllocateReservesAnEmptyFileOnce) {
  auto file = Open("f.bin", OpenMode::OpenOrCreate, 0, 1999);
  file->Seek(500);
  EXPECT_TRUE(file->Allocate(0));
  EXPECT_EQ(0u, file->GetSize());
  EXPECT_TRUE(file->Allocate(1000));
  EXPECT_EQ(1000u, file->GetSize());
  EXPECT_EQ(0u, file->Tell());
  EXPECT_EQ(std::string(1000, '\0'), ScratchFolder::ReadFile(scratch_ / "f.bin"));
  struct stat status = {};
  ASSERT_EQ(0, stat((scratch_ / "f.bin").c_str(), &status));
  EXPECT_GE(static_cast<uint64_t>(status.st_blocks) * 512, 1000u) << "space is reserved";
  // A second allocation changes nothing.
  file->Seek(10);
  EXPECT_FALSE(file->Allocate(1500));
  EXPECT_EQ(1000u, file->GetSize());
  EXPECT_EQ(10u, file->Tell());
  // Beyond the range of the file.
  auto other = Open("g.bin", OpenMode::OpenOrCreate, 0, 99);
  EXPECT_THROW(other->Allocate(101), OutOfBoundsException);
  EXPECT_EQ(0u, other->GetSize());
}

TEST_F(SharedFileImplTest, AllocateOnAFullDiskIsInsufficientSpaceAndLeavesTheFileEmpty) {
  // The child mounts a 1 MiB tmpfs over the scratch folder, seen by nobody else.
  const fs::path mount = scratch_.Path();
  const testing::ChildOutcome full = testing::RunWithPrivateTmpfs(mount, "size=1m", [&] {
    FilesystemImpl filesystem;
    auto file = filesystem.OpenSharedFile(mount, "big.bin", OpenMode::OpenOrCreate, true, 0, kEnd);
    try {
      file->Allocate(8u << 20);
      return std::string("allocating 8 MiB on a 1 MiB disk succeeded");
    } catch (const InsufficientSpaceException&) {
    }
    if (file->GetSize() != 0) return "size after the failure: " + std::to_string(file->GetSize());
    // What fits still allocates.
    if (!file->Allocate(256u << 10)) return std::string("a fitting allocation failed");
    return std::string();
  });
  if (full.kind == testing::ChildOutcome::Skipped) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << full.message << ")";
  }
  EXPECT_EQ(testing::ChildOutcome::Passed, full.kind) << full.message;
}

TEST_F(SharedFileImplTest, DenyAndAllowExecuteRoundTrip) {
  struct Case {
    mode_t initial;
    mode_t denied;
    mode_t allowed;
  };
  const Case kCases[] = {
      {0755, 0644, 0755}, {0644, 0644, 0755}, {0600, 0600, 0700},
      {0640, 0640, 0750}, {0711, 0600, 0700}, {0604, 0604, 0705},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::to_string(c.initial));
    ScratchFolder scratch;
    const fs::path path = scratch.WriteFile("run.sh", "#!/bin/sh\nexit 0\n");
    ASSERT_EQ(0, chmod(path.c_str(), c.initial));
    auto file =
        filesystem_.OpenSharedFile(scratch.Path(), "run.sh", OpenMode::OpenExisting, true, 0, kEnd);
    auto mode = [&] {
      struct stat status = {};
      stat(path.c_str(), &status);
      return status.st_mode & 07777;
    };
    EXPECT_TRUE(file->DenyExecute());
    EXPECT_EQ(c.denied, mode());
    // Not even root may run a file without any execute bit.
    EXPECT_NE(0, access(path.c_str(), X_OK));
    EXPECT_TRUE(file->DenyExecute());
    EXPECT_EQ(c.denied, mode());
    EXPECT_TRUE(file->AllowExecute());
    EXPECT_EQ(c.allowed, mode());
    EXPECT_EQ(0, access(path.c_str(), X_OK));
    EXPECT_TRUE(file->AllowExecute());
    EXPECT_EQ(c.allowed, mode());
  }
}

TEST_F(SharedFileImplTest, MapNeedsTheFileAllocatedPastTheRange) {
  auto file = Open("f.bin", OpenMode::OpenOrCreate, 0, 199);
  EXPECT_THROW(file->Map(0, 0), InvalidMapException) << "an empty file has nothing to map";
  ASSERT_TRUE(file->Allocate(100));
  struct Case {
    const char* name;
    uint64_t a, b;
    const char* outcome;
  };
  const Case kCases[] = {
      {"the whole file", 0, 99, "ok"},
      {"the last byte", 99, 99, "ok"},
      {"one byte past the end", 0, 100, "InvalidMap"},
      {"inside the range, beyond the file", 150, 199, "InvalidMap"},
      {"beyond the range", 150, 200, "OutOfBounds"},
      {"reversed", 50, 40, "OutOfBounds"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string outcome = [&]() -> std::string {
      try {
        auto view = file->Map(c.a, c.b);
        return view->first == c.a && view->last == c.b ? "ok" : "wrong range";
      } catch (const InvalidMapException&) {
        return "InvalidMap";
      } catch (const OutOfBoundsException&) {
        return "OutOfBounds";
      }
    }();
    EXPECT_EQ(c.outcome, outcome);
  }
  EXPECT_THROW(file->MapAll(), InvalidMapException) << "the range is larger than the file";
  auto whole = Open("f.bin", OpenMode::OpenExisting, 0, 99)->MapAll();
  EXPECT_EQ(0u, whole->first);
  EXPECT_EQ(99u, whole->last);
  EXPECT_THROW(Open("f.bin", OpenMode::OpenExisting)->MapAll(), std::bad_alloc)
      << "no single view covers 4 GiB or more";
}

}  // namespace
}  // namespace kiv::file::posix
