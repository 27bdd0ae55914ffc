// The texts an updater shows. Each is a message identifier: it is translated through the
// catalog, and "{1}" is filled with the product name, before it is shown.
#pragma once

#include <string>

#include "kiv/transfer/transfer_error.h"

namespace kiv::updater {

class UpdaterMessages {
 public:
  virtual ~UpdaterMessages() = default;
  virtual std::string GetCatalogDomain() const = 0;
  virtual std::string GetErrorText(TransferError error) const = 0;
  virtual std::string GetTitle() const = 0;
  virtual std::string GetErrorTitle() const = 0;
  virtual std::string GetLaunchingText() const = 0;
  virtual std::string GetLaunchFailedText() const = 0;
};

}  // namespace kiv::updater
