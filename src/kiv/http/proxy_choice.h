// The proxy choice shared by every proxy object that ends up with a proxy list and a bypass
// list: which entry of the list serves an http URL, and whether the URL's host bypasses it.
#pragma once

#include <string>

namespace kiv::http {

// The proxy for url from a list such as "http=p1:8080;https=p2:8443" or "p3:3128" (pieces
// separated by ',', ';' or ' '), or the empty string when the URL goes direct (no usable
// entry, or the host matches an entry of the bypass list).
std::string ChooseProxy(const std::string& url, const std::string& proxyList,
                        const std::string& bypassList);

// True when the whole host matches the bypass entry, in which '*' stands for any text and
// '.' for itself; other characters keep their regular-expression meaning. An entry that is
// not a valid pattern matches nothing.
bool BypassMatches(const std::string& host, const std::string& entry);

// The host of a URL ("http://user@Host:80/x" gives "Host"; "[::1]" keeps its brackets), or
// the empty string when the URL has none.
std::string HostOfUrl(const std::string& url);

}  // namespace kiv::http
