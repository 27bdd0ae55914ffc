#include "kiv/file/error_mapping.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <future>
#include <new>
#include <string>
#include <system_error>

#include "kiv/file/exceptions.h"

namespace kiv::file {
namespace {

// Which exception class a call threw, by name; "none" when it returned.
std::string Thrown(const std::function<void()>& call) {
  try {
    call();
    return "none";
  } catch (const BadPathException&) {
    return "BadPath";
  } catch (const NotFoundException&) {
    return "NotFound";
  } catch (const InaccessibleException&) {
    return "Inaccessible";
  } catch (const InsufficientSpaceException&) {
    return "InsufficientSpace";
  } catch (const InUseException&) {
    return "InUse";
  } catch (const InvalidMapException&) {
    return "InvalidMap";
  } catch (const OutOfBoundsException&) {
    return "OutOfBounds";
  } catch (const UnknownException&) {
    return "Unknown";
  } catch (const std::bad_alloc&) {
    return "bad_alloc";
  } catch (...) {
    return "other";
  }
}

TEST(ErrorMappingTest, EveryErrnoValueMapsToItsException) {
  struct Case {
    int error;
    const char* expected;
  };
  const Case kCases[] = {
      {0, "none"},
      {EPERM, "Inaccessible"},
      {EACCES, "Inaccessible"},
      {EROFS, "Inaccessible"},
      {ENOENT, "NotFound"},
      {ENXIO, "NotFound"},
      {ENODEV, "NotFound"},
      {ENOMEM, "bad_alloc"},
      {EBUSY, "InUse"},
      {EEXIST, "InUse"},
      {ENOTEMPTY, "InUse"},
      {ETXTBSY, "InUse"},
      {ENOTDIR, "BadPath"},
      {EINVAL, "BadPath"},
      {ENAMETOOLONG, "BadPath"},
      {EOPNOTSUPP, "BadPath"},
      {EFBIG, "InsufficientSpace"},
      {ENOSPC, "InsufficientSpace"},
      {EDQUOT, "InsufficientSpace"},
      {EIO, "Unknown"},
      {EISDIR, "Unknown"},
      {ELOOP, "Unknown"},
      {999, "Unknown"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string("errno ") + std::to_string(c.error) + " " +
                 std::generic_category().message(c.error));
    EXPECT_EQ(c.expected, Thrown([&] { ThrowForErrno(c.error); }));
    // The same value from the system category goes through its portable condition.
    EXPECT_EQ(c.expected,
              Thrown([&] { ThrowForErrorCode(std::error_code(c.error, std::system_category())); }));
  }
}

TEST(ErrorMappingTest, CodesWithoutAPortableConditionAreUnknown) {
  EXPECT_EQ("Unknown",
            Thrown([] { ThrowForErrorCode(std::make_error_code(std::future_errc::no_state)); }));
}

TEST(ErrorMappingTest, ExceptionsNameTheirClassAndCarryTheDetail) {
  try {
    ThrowForErrno(ENOENT, "FileSize /no/such/file");
    FAIL() << "nothing thrown";
  } catch (const Exception& e) {
    EXPECT_EQ("FileSize /no/such/file: " + std::generic_category().message(ENOENT), e.Detail());
    EXPECT_EQ("kiv::file::NotFoundException: " + e.Detail(), std::string(e.what()));
  }
  EXPECT_STREQ("kiv::file::OutOfBoundsException", OutOfBoundsException().what());
  EXPECT_EQ("", OutOfBoundsException().Detail());
  // Copies share the text, so copying an exception never allocates.
  const InUseException original("lock");
  const InUseException copy = original;
  EXPECT_EQ(original.what(), copy.what());
}

}  // namespace
}  // namespace kiv::file
