// Message text of the file exceptions.
#include "kiv/file/exceptions.h"

namespace kiv::file {

Exception::Exception(const char* kind, std::string detail) {
  std::string message(kind);
  if (!detail.empty()) {
    message += ": ";
    detailOffset_ = message.size();
    message += detail;
  } else {
    detailOffset_ = message.size();
  }
  message_ = std::make_shared<const std::string>(std::move(message));
}

const char* Exception::what() const noexcept { return message_->c_str(); }

std::string Exception::Detail() const { return message_->substr(detailOffset_); }

}  // namespace kiv::file
