#include "kiv/http/proxy_choice.h"

#include <boost/xpressive/xpressive_dynamic.hpp>
#include <vector>

namespace kiv::http {
namespace {

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> pieces;
  std::string piece;
  for (char c : list) {
    if (c == ',' || c == ';' || c == ' ') {
      if (!piece.empty()) pieces.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) pieces.push_back(std::move(piece));
  return pieces;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

}  // namespace

std::string HostOfUrl(const std::string& url) {
  size_t start = url.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  size_t end = url.find_first_of("/?#", start);
  if (end == std::string::npos) end = url.size();
  std::string authority = url.substr(start, end - start);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    return close == std::string::npos ? authority : authority.substr(0, close + 1);
  }
  const size_t colon = authority.find(':');
  return colon == std::string::npos ? authority : authority.substr(0, colon);
}

bool BypassMatches(const std::string& host, const std::string& entry) {
  std::string pattern = "^" + entry + "$";
  ReplaceAll(pattern, ".", "\\.");
  ReplaceAll(pattern, "*", ".*");
  try {
    namespace xp = boost::xpressive;
    const xp::sregex regex = xp::sregex::compile(pattern);
    return xp::regex_match(host, regex);
  } catch (const std::exception&) {
    // An entry that is not a valid pattern (an unbalanced bracket, say) bypasses nothing.
    return false;
  }
}

std::string ChooseProxy(const std::string& url, const std::string& proxyList,
                        const std::string& bypassList) {
  const std::string host = HostOfUrl(url);
  const std::vector<std::string> pieces = SplitList(proxyList);
  if (pieces.empty()) return {};

  std::string httpProxy;
  std::string generalProxy;
  bool haveHttp = false;
  bool haveGeneral = false;
  for (const std::string& piece : pieces) {
    if (piece.rfind("http=", 0) == 0) {
      if (!haveHttp) httpProxy = piece.substr(5);
      haveHttp = true;
    } else if (piece.find('=') == std::string::npos) {
      if (!haveGeneral) generalProxy = piece;
      haveGeneral = true;
    }
  }
  std::string candidate = haveHttp ? httpProxy : generalProxy;
  if (candidate.empty() || candidate == ":" || candidate == "::") return {};

  for (const std::string& entry : SplitList(bypassList)) {
    if (BypassMatches(host, entry)) return {};
  }
  return candidate;
}

}  // namespace kiv::http
