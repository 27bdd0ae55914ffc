#include "kiv/updater/kemba_updater_messages.h"

#include <utility>

namespace kiv::updater::kemba {

KembaUpdaterMessages::KembaUpdaterMessages(std::string supportHost)
    : supportHost_(std::move(supportHost)) {}

std::string KembaUpdaterMessages::GetCatalogDomain() const { return "kemba-updater"; }

std::string KembaUpdaterMessages::GetErrorText(TransferError error) const {
  switch (error) {
    case TransferError::NetworkError:
      return "Internet connection not established. Check the Internet connection and please try "
             "again.";
    case TransferError::OutOfMemory:
      return "Out of memory. Free up some memory and try again.";
    case TransferError::InsufficientSpace:
      return "Not enough storage. Free some space and please try again.";
    case TransferError::FileAccessError:
    case TransferError::WriteError:
      return "Trouble writing to storage. Make sure the user account has sufficient permissions "
             "and please try again.";
    case TransferError::Geofenced:
      return "This download is not available in your location. Please visit " + supportHost_ +
             " for more information.";
    default:
      return "An unexpected error occurred. For more information please visit " + supportHost_;
  }
}

std::string KembaUpdaterMessages::GetTitle() const { return "Corvan Update ({1})"; }

std::string KembaUpdaterMessages::GetErrorTitle() const { return "Corvan Update ({1}) Error"; }

std::string KembaUpdaterMessages::GetLaunchingText() const {
  return "Launching Corvan Update ({1})";
}

std::string KembaUpdaterMessages::GetLaunchFailedText() const {
  return "Corvan Update ({1}) could not be launched. Please visit " + supportHost_ +
         " for further assistance.";
}

}  // namespace kiv::updater::kemba
