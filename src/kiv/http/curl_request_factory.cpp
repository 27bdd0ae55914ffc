#include "kiv/http/curl_request_factory.h"

#include "kiv/http/curl_request.h"

namespace kiv::http {

std::shared_ptr<Request> CurlRequestFactory::Create(const RequestParams& params,
                                                    const std::string& proxy) {
  return std::make_shared<CurlRequest>(params, proxy);
}

}  // namespace kiv::http
