// Sessions over a fresh round-robin request pool each, with no proxy chosen yet.
#pragma once

#include "kiv/http/session_factory.h"

namespace kiv::http {

class RoundRobinSessionFactory : public SessionFactory {
 public:
  std::shared_ptr<Session> Create() override;
};

}  // namespace kiv::http
