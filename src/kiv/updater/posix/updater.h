// An updater application: its texts and the catalogs it registers for its languages.
#pragma once

namespace kiv::locale::posix {
class EmbeddedMessageCatalog;
}

namespace kiv::updater {
class UpdaterMessages;
}

namespace kiv::updater::posix {

class Updater {
 public:
  virtual ~Updater() = default;
  virtual const UpdaterMessages& GetMessages() const = 0;
  // Registers locale names with the ids of the catalogs compiled into the program.
  virtual void RegisterCatalogs(locale::posix::EmbeddedMessageCatalog& catalog) const = 0;
};

}  // namespace kiv::updater::posix
