#include "kiv/file/posix/filesystem_impl.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "file/scratch_folder.h"
#include "kiv/file/exceptions.h"

namespace kiv::file::posix {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

// Every file and folder below root, relative, folders with a trailing "/".
std::set<std::string> Tree(const fs::path& root) {
  std::set<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string name = fs::relative(entry.path(), root).string();
    if (entry.is_directory() && !entry.is_symlink()) name += "/";
    entries.insert(name);
  }
  return entries;
}

class FilesystemImplTest : public ::testing::Test {
 protected:
  FilesystemImpl filesystem_;
  ScratchFolder scratch_;
};

TEST_F(FilesystemImplTest, ExistenceAndSizeOfFilesFoldersAndMissingPaths) {
  scratch_.WriteFile("five.bin", "12345");
  scratch_.WriteFile("empty.bin", "");
  fs::create_directory(scratch_ / "folder");
  fs::create_symlink("missing-target", scratch_ / "dangling");
  struct Case {
    const char* name;
    bool exists;
    std::optional<uint64_t> size;  // nullopt: FileSize throws
  };
  const Case kCases[] = {
      {"five.bin", true, 5},
      {"empty.bin", true, 0},
      {"folder", true, std::nullopt},
      {"missing.bin", false, std::nullopt},
      {"dangling", false, std::nullopt},
      {"five.bin/below-a-file", false, std::nullopt},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const fs::path path = scratch_ / c.name;
    EXPECT_EQ(c.exists, filesystem_.Exists(path));
    EXPECT_EQ(c.exists, filesystem_.ExistsNoThrow(path));
    if (c.size) {
      EXPECT_EQ(*c.size, filesystem_.FileSize(path));
    } else {
      EXPECT_THROW(filesystem_.FileSize(path), Exception);
    }
    EXPECT_EQ(c.size.value_or(0), filesystem_.FileSizeOrZero(path));
  }
  // A missing file is NotFound, and the exception says which file.
  try {
    filesystem_.FileSize(scratch_ / "missing.bin");
    FAIL() << "no exception";
  } catch (const NotFoundException& e) {
    EXPECT_NE(std::string(e.what()).find("missing.bin"), std::string::npos) << e.what();
  }
}

TEST_F(FilesystemImplTest, CanonicalResolvesLinksAndDotsAndIsSamePathComparesThem) {
  scratch_.WriteFile("a/file.txt", "x");
  fs::create_symlink(scratch_ / "a", scratch_ / "link");
  const fs::path real = fs::canonical(scratch_ / "a/file.txt");
  EXPECT_EQ(real, filesystem_.Canonical(scratch_ / "link/./../a/file.txt"));
  EXPECT_TRUE(filesystem_.IsSamePath(scratch_ / "link/file.txt", scratch_ / "a/file.txt"));
  EXPECT_FALSE(filesystem_.IsSamePath(scratch_ / "a", scratch_ / "a/file.txt"));
  EXPECT_FALSE(filesystem_.IsSamePath(scratch_ / "missing", scratch_ / "missing"));
  EXPECT_THROW(filesystem_.Canonical(scratch_ / "missing"), NotFoundException);
}

TEST_F(FilesystemImplTest, IsExecutableByExtensionOrContent) {
  struct Case {
    const char* name;
    const char* content;
    bool executable;
  };
  const Case kCases[] = {
      {"setup.exe", "MZ", true},
      {"SETUP.EXE", "MZ", false},  // the extensions are compared case-sensitively
      {"readme.txt", "hello", false},
      {"install.sh", "", true},
      {"tool.AppImage", "", true},
      {"tool.appimage", "", false},
      {"kemba",
       "\x7f"
       "ELF\x02\x01\x01",
       true},
      {"launch", "#!/bin/sh\necho hi\n", true},
      {"notes", "#", false},
      {"empty", "", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    scratch_.WriteFile(c.name, c.content);
    EXPECT_EQ(c.executable, filesystem_.IsExecutable(scratch_.Path(), c.name));
  }
  // The name is resolved first, so a missing file cannot be judged.
  EXPECT_THROW(filesystem_.IsExecutable(scratch_.Path(), "missing.exe"), NotFoundException);
  // A link is judged by what it names.
  fs::create_symlink("setup.exe", scratch_ / "start");
  EXPECT_TRUE(filesystem_.IsExecutable(scratch_.Path(), "start"));
}

TEST_F(FilesystemImplTest, HiddenEntriesAndEmptyFolders) {
  scratch_.WriteFile(".hidden-only/.config", "x");
  scratch_.WriteFile("visible/file", "x");
  scratch_.WriteFile(".dot-folder/visible", "x");
  fs::create_directories(scratch_ / "hidden-folder-only/.git");
  fs::create_directory(scratch_ / "empty");
  struct Case {
    const char* name;
    bool hidden;
    bool empty;
    bool emptyIgnoringHidden;
  };
  const Case kCases[] = {
      {".hidden-only", true, false, true}, {"visible", false, false, false},
      {".dot-folder", true, false, false}, {"hidden-folder-only", false, false, true},
      {"empty", false, true, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.hidden, filesystem_.IsHiddenOrSystem(scratch_ / c.name));
    EXPECT_EQ(c.empty, filesystem_.IsEmptyDirectory(scratch_ / c.name, false));
    EXPECT_EQ(c.emptyIgnoringHidden, filesystem_.IsEmptyDirectory(scratch_ / c.name, true));
  }
  EXPECT_FALSE(filesystem_.IsHiddenOrSystem(scratch_ / ".dot-folder/visible"));
  EXPECT_TRUE(filesystem_.IsHiddenOrSystem(scratch_ / ".dot-folder/"));
  EXPECT_TRUE(filesystem_.IsHiddenOrSystem(scratch_ / "visible/../.dot-folder"));
  EXPECT_THROW(filesystem_.IsHiddenOrSystem(scratch_ / ".missing"), NotFoundException);
  EXPECT_THROW(filesystem_.IsEmptyDirectory(scratch_ / "missing", false), NotFoundException);
  EXPECT_THROW(filesystem_.IsEmptyDirectory(scratch_ / "visible/file", false), BadPathException);
}

TEST_F(FilesystemImplTest, RemoveAndPrunePrunesEmptyParentsButNeverTheFolder) {
  struct Case {
    const char* name;
    std::vector<std::string> files;
    const char* remove;
    bool existed;
    std::set<std::string> left;
  };
  const Case kCases[] = {
      {"only file prunes every sub-folder", {"x/y/z.dat"}, "x/y/z.dat", true, {}},
      {"a sibling keeps its folder", {"x/y/z.dat", "x/keep"}, "x/y/z.dat", true, {"x/", "x/keep"}},
      {"a hidden sibling keeps its folder",
       {"x/y/z.dat", "x/y/.keep"},
       "x/y/z.dat",
       true,
       {"x/", "x/y/", "x/y/.keep"}},
      {"top-level file leaves the folder itself", {"z.dat"}, "z.dat", true, {}},
      {"missing file still prunes what is empty",
       {"x/other"},
       "x/y/z.dat",
       false,
       {"x/", "x/other"}},
      {"a rooted name stays inside the folder", {"x/y/z.dat"}, "/x/y/z.dat", true, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScratchFolder scratch;
    const fs::path folder = scratch / "folder";
    fs::create_directory(folder);
    for (const std::string& file : c.files) scratch.WriteFile(fs::path("folder") / file, "x");
    EXPECT_EQ(c.existed, filesystem_.RemoveAndPrune(folder, c.remove, true));
    ASSERT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(c.left, Tree(folder));
  }
}

TEST_F(FilesystemImplTest, RemoveAndPruneNeverPrunesOutsideTheFolder) {
  scratch_.WriteFile("outside/empty-after/z.dat", "x");
  fs::create_directory(scratch_ / "folder");
  EXPECT_TRUE(
      filesystem_.RemoveAndPrune(scratch_ / "folder", "../outside/empty-after/z.dat", false));
  EXPECT_TRUE(fs::is_directory(scratch_ / "outside/empty-after"));
}

TEST_F(FilesystemImplTest, CreatingAndEnsuringFolders) {
  scratch_.WriteFile("file", "x");
  EXPECT_TRUE(filesystem_.CreateDirectory(scratch_ / "one"));
  EXPECT_FALSE(filesystem_.CreateDirectory(scratch_ / "one"));
  EXPECT_THROW(filesystem_.CreateDirectory(scratch_ / "a/b"), NotFoundException);
  EXPECT_THROW(filesystem_.CreateDirectory(scratch_ / "file"), InUseException);
  EXPECT_TRUE(filesystem_.CreateDirectoryIn(scratch_ / "one", "two"));
  EXPECT_TRUE(fs::is_directory(scratch_ / "one/two"));
  EXPECT_TRUE(filesystem_.CreateDirectories(scratch_ / "a/b/c"));
  EXPECT_FALSE(filesystem_.CreateDirectories(scratch_ / "a/b/c"));
  EXPECT_TRUE(filesystem_.EnsureDirectory(scratch_ / "d/e"));
  EXPECT_TRUE(fs::is_directory(scratch_ / "d/e"));
  EXPECT_TRUE(filesystem_.EnsureDirectory(scratch_ / "d/e"));
  // A file where the folder should be is not an ensured folder.
  EXPECT_THROW(filesystem_.EnsureDirectory(scratch_ / "file"), BadPathException);
  EXPECT_FALSE(filesystem_.EnsureDirectoryNoThrow(scratch_ / "file"));
  EXPECT_FALSE(filesystem_.EnsureDirectoryNoThrow(scratch_ / "file/below"));
  EXPECT_TRUE(filesystem_.EnsureDirectoryNoThrow(scratch_ / "f"));
}

TEST_F(FilesystemImplTest, CopyTakesFilesFoldersAndLinksAndRefusesTheRest) {
  scratch_.WriteFile("from/file.bin", "payload");
  fs::permissions(scratch_ / "from", fs::perms::owner_all | fs::perms::group_read);
  fs::create_symlink("file.bin", scratch_ / "from/link");
  ASSERT_EQ(0, mkfifo((scratch_ / "from/fifo").c_str(), 0600));
  fs::create_directory(scratch_ / "to");

  filesystem_.Copy(scratch_ / "from/file.bin", scratch_ / "to/file.bin", true);
  EXPECT_EQ("payload", ScratchFolder::ReadFile(scratch_ / "to/file.bin"));
  EXPECT_THROW(filesystem_.Copy(scratch_ / "from/file.bin", scratch_ / "to/file.bin", false),
               InUseException);

  filesystem_.Copy(scratch_ / "from", scratch_ / "to/folder", false);
  EXPECT_TRUE(fs::is_empty(scratch_ / "to/folder"));
  EXPECT_EQ(fs::status(scratch_ / "from").permissions(),
            fs::status(scratch_ / "to/folder").permissions());
  EXPECT_THROW(filesystem_.Copy(scratch_ / "from", scratch_ / "to/folder", false), InUseException);

  filesystem_.Copy(scratch_ / "from/link", scratch_ / "to/link", false);
  EXPECT_EQ("file.bin", fs::read_symlink(scratch_ / "to/link"));

  EXPECT_THROW(filesystem_.Copy(scratch_ / "from/fifo", scratch_ / "to/fifo", false),
               BadPathException);
  EXPECT_THROW(filesystem_.Copy(scratch_ / "missing", scratch_ / "to/x", false), NotFoundException);

  filesystem_.CreateSymlink("file.bin", scratch_ / "to/made");
  EXPECT_EQ("payload", ScratchFolder::ReadFile(scratch_ / "to/made"));
}

TEST_F(FilesystemImplTest, RemoveOneEntryOrATree) {
  scratch_.WriteFile("tree/a/b.bin", "x");
  scratch_.WriteFile("single.bin", "x");
  fs::create_directory(scratch_ / "empty");
  EXPECT_TRUE(filesystem_.Remove(scratch_ / "single.bin", false, true));
  EXPECT_FALSE(filesystem_.Remove(scratch_ / "single.bin", false, true));
  EXPECT_TRUE(filesystem_.RemoveIn(scratch_.Path(), "empty", false, false));
  EXPECT_THROW(filesystem_.Remove(scratch_ / "tree", false, false), InUseException);
  EXPECT_TRUE(filesystem_.Remove(scratch_ / "tree", true, false));
  EXPECT_FALSE(fs::exists(scratch_ / "tree"));
  EXPECT_FALSE(filesystem_.Remove(scratch_ / "tree", true, false));
}

TEST_F(FilesystemImplTest, DirectoryListingSpaceAndTheOneOperationContext) {
  scratch_.WriteFile("a", "x");
  scratch_.WriteFile("b", "y");
  std::set<std::string> names;
  for (auto it = filesystem_.OpenDirectory(scratch_.Path()); it != fs::directory_iterator(); ++it) {
    names.insert(it->path().filename().string());
  }
  EXPECT_EQ((std::set<std::string>{"a", "b"}), names);
  EXPECT_THROW(filesystem_.OpenDirectory(scratch_ / "missing"), NotFoundException);

  EXPECT_GT(filesystem_.AvailableSpace(scratch_.Path()), 0u);
  EXPECT_THROW(filesystem_.AvailableSpace(scratch_ / "missing"), NotFoundException);

  const auto context = filesystem_.GetOperationContext(scratch_ / "a");
  ASSERT_NE(nullptr, context);
  EXPECT_EQ(context, filesystem_.GetOperationContext("/elsewhere"));
  // Recursive: a locked operation may run inside another.
  std::lock_guard<std::recursive_mutex> outer(context->Mutex());
  EXPECT_TRUE(filesystem_.Remove(scratch_ / "a", false, true));
}

TEST(FilesystemJoinTest, NamesStayBelowTheirFolder) {
  EXPECT_EQ(fs::path("/data/x/y.bin"), Filesystem::Join("/data", "x/y.bin"));
  EXPECT_EQ(fs::path("/data/x/y.bin"), Filesystem::Join("/data", "/x/y.bin"));
  EXPECT_EQ(fs::path("/data/"), Filesystem::Join("/data", ""));
}

// Sets environment variables for one test and puts the old values back.
class Environment {
 public:
  void Set(const char* name, const std::optional<std::string>& value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(FilesystemImplTest, TempFolderPrefersTmpdirThenTheUserCache) {
  fs::create_directory(scratch_ / "tmp");
  const std::string home = (scratch_ / "home").string();
  struct Case {
    const char* name;
    std::optional<std::string> tmpdir, cacheHome, home;
    std::string expected;
  };
  const Case kCases[] = {
      {"TMPDIR names a folder", (scratch_ / "tmp").string(), "/cache", home,
       (scratch_ / "tmp").string()},
      {"TMPDIR names nothing", (scratch_ / "missing").string(), "/cache", home, "/cache"},
      {"no TMPDIR", std::nullopt, "/cache", home, "/cache"},
      {"relative XDG_CACHE_HOME is ignored", std::nullopt, "cache", home, home + "/.cache"},
      {"no XDG_CACHE_HOME", std::nullopt, std::nullopt, home, home + "/.cache"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Environment environment;
    environment.Set("TMPDIR", c.tmpdir);
    environment.Set("XDG_CACHE_HOME", c.cacheHome);
    environment.Set("HOME", c.home);
    EXPECT_EQ(c.expected, filesystem_.TempFolder().string());
  }
}

TEST_F(FilesystemImplTest, DesktopFolderFromUserDirsElseHomeDesktop) {
  const std::string home = (scratch_ / "home").string();
  struct Case {
    const char* name;
    std::optional<std::string> userDirs;  // nullopt: no user-dirs.dirs file
    std::string expected;
  };
  const Case kCases[] = {
      {"no file", std::nullopt, home + "/Desktop"},
      {"relative to $HOME", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", home + "/Schreibtisch"},
      {"absolute, after comments and other keys",
       "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/dl\"\n"
       "  XDG_DESKTOP_DIR=\"/srv/desk top\"\n",
       "/srv/desk top"},
      {"commented out", "#XDG_DESKTOP_DIR=\"$HOME/x\"\n", home + "/Desktop"},
      {"neither $HOME-relative nor absolute", "XDG_DESKTOP_DIR=\"desk\"\n", home + "/Desktop"},
      {"unquoted", "XDG_DESKTOP_DIR=$HOME/x\n", home + "/Desktop"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScratchFolder config;
    if (c.userDirs) config.WriteFile("user-dirs.dirs", *c.userDirs);
    Environment environment;
    environment.Set("HOME", home);
    environment.Set("XDG_CONFIG_HOME", config.Path().string());
    EXPECT_EQ(c.expected, filesystem_.DesktopFolder().string());
  }
}

}  // namespace
}  // namespace kiv::file::posix
