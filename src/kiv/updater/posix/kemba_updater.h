// The Kemba updater application object.
#pragma once

#include <string>

#include "kiv/updater/kemba_updater_messages.h"
#include "kiv/updater/posix/updater.h"

namespace kiv::updater::kemba::posix {

class KembaUpdater : public updater::posix::Updater {
 public:
  explicit KembaUpdater(std::string supportHost);

  const UpdaterMessages& GetMessages() const override { return messages_; }
  void RegisterCatalogs(locale::posix::EmbeddedMessageCatalog& catalog) const override;

 private:
  KembaUpdaterMessages messages_;
};

}  // namespace kiv::updater::kemba::posix
