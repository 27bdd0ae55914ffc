// Makes sessions: one per transfer and one for the analytics manager.
#pragma once

#include <memory>

namespace kiv::http {

class Session;

class SessionFactory {
 public:
  virtual ~SessionFactory() = default;
  virtual std::shared_ptr<Session> Create() = 0;
};

}  // namespace kiv::http
