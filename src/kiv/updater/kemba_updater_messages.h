// The texts of the Kemba updater for Corvan Update.
#pragma once

#include <string>

#include "kiv/updater/updater_messages.h"

namespace kiv::updater::kemba {

class KembaUpdaterMessages : public UpdaterMessages {
 public:
  // supportHost: the support site's host name, named in the error and launch-failure texts.
  explicit KembaUpdaterMessages(std::string supportHost);

  std::string GetCatalogDomain() const override;
  std::string GetErrorText(TransferError error) const override;
  std::string GetTitle() const override;
  std::string GetErrorTitle() const override;
  std::string GetLaunchingText() const override;
  std::string GetLaunchFailedText() const override;

 private:
  std::string supportHost_;
};

}  // namespace kiv::updater::kemba
