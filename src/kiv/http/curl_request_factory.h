// Makes libcurl requests.
#pragma once

#include "kiv/http/request_factory.h"

namespace kiv::http {

class CurlRequestFactory : public RequestFactory {
 public:
  using RequestFactory::RequestFactory;

  std::shared_ptr<Request> Create(const RequestParams& params, const std::string& proxy) override;
};

}  // namespace kiv::http
