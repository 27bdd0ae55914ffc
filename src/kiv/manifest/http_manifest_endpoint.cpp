// Composing manifest URLs.
#include "kiv/manifest/http_manifest_endpoint.h"

#include <Poco/Exception.h>
#include <Poco/URI.h>

#include "kiv/manifest/manifest_exceptions.h"

namespace kiv {

std::string ComposeManifestUrl(const std::string& host, const std::string& path) {
  // The authority must be a bare host with an optional port: no user part, no path, no
  // characters that would change the URL's meaning.
  for (const unsigned char c : host) {
    if (c <= ' ' || c == 0x7f || c == '/' || c == '?' || c == '#' || c == '@' || c == '\\') {
      throw ManifestLocatorException();
    }
  }
  try {
    Poco::URI uri;
    uri.setScheme("http");
    uri.setAuthority(host);
    if (uri.getHost().empty()) throw ManifestLocatorException();
    // setPath decodes percent escapes, so the path is escaped first: a locator is taken
    // literally ("%41" stays "%41", a stray "%" is not an error).
    std::string escaped;
    Poco::URI::encode(path, "?#", escaped);
    uri.setPath(escaped);
    return uri.toString();
  } catch (const Poco::Exception&) {
    throw ManifestLocatorException();
  }
}

}  // namespace kiv
