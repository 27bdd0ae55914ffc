#include "kiv/http/round_robin_session_factory.h"

#include "kiv/http/round_robin_request_pool.h"
#include "kiv/http/session.h"

namespace kiv::http {

std::shared_ptr<Session> RoundRobinSessionFactory::Create() {
  return std::make_shared<Session>(std::make_shared<RoundRobinRequestPool>());
}

}  // namespace kiv::http
