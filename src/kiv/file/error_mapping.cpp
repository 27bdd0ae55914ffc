// errno values to file exceptions.
#include "kiv/file/error_mapping.h"

#include <cerrno>
#include <new>

#include "kiv/file/exceptions.h"

namespace kiv::file {

void ThrowForErrorCode(const std::error_code& code, const std::string& detail) {
  if (!code) return;
  const std::string text = detail.empty() ? code.message() : detail + ": " + code.message();
  // System codes are errno values here; the standard library's portable condition does not
  // know every one of them (EDQUOT), so they are taken as they are.
  int error = code.value();
  if (code.category() != std::system_category() && code.category() != std::generic_category()) {
    const std::error_condition condition = code.default_error_condition();
    if (condition.category() != std::generic_category()) throw UnknownException(text);
    error = condition.value();
  }
  switch (error) {
    case EPERM:
    case EACCES:
    case EROFS:
      throw InaccessibleException(text);
    case ENOENT:
    case ENXIO:
    case ENODEV:
      throw NotFoundException(text);
    case ENOMEM:
      throw std::bad_alloc();
    case EBUSY:
    case EEXIST:
    case ENOTEMPTY:
    case ETXTBSY:
      throw InUseException(text);
    case ENOTDIR:
    case EINVAL:
    case ENAMETOOLONG:
    case EOPNOTSUPP:
      throw BadPathException(text);
    case EFBIG:
    case ENOSPC:
    // An exhausted disk quota is a full disk as far as this user is concerned.
    case EDQUOT:
      throw InsufficientSpaceException(text);
    default:
      throw UnknownException(text);
  }
}

void ThrowForErrno(int error, const std::string& detail) {
  ThrowForErrorCode(std::error_code(error, std::generic_category()), detail);
}

}  // namespace kiv::file
