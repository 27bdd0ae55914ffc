#include <gtest/gtest.h>

#include <map>

#include "http/test_util.h"
#include "kiv/http/curl_request_factory.h"
#include "kiv/http/posix/automatic_proxy.h"
#include "kiv/http/posix/manual_proxy.h"
#include "kiv/http/posix/proxy_factory_impl.h"
#include "kiv/http/proxy_choice.h"
#include "kiv/http/round_robin_session_factory.h"
#include "kiv/http/session.h"
#include "support/test_node_server.h"

namespace kiv::http {
namespace {

using posix::ManualProxy;
using posix::ProxyFactoryImpl;

TEST(ProxyChoiceTest, PicksTheHttpProxyUnlessTheHostIsBypassed) {
  struct Case {
    const char* name;
    std::string url;
    std::string proxyList;
    std::string bypassList;
    std::string expected;
  };
  const Case kCases[] = {
      {"http entry wins", "http://a.com/x", "http=p1:8080;https=p2:8443", "", "p1:8080"},
      {"general entry", "http://a.com/x", "p3:3128", "", "p3:3128"},
      {"http entry before a general one", "http://a.com/", "p3:3128 http=p1:8080", "", "p1:8080"},
      {"first general entry", "http://a.com/", "p3:3128,p5:1", "", "p3:3128"},
      {"only other schemes", "http://a.com/", "ftp=p4:21", "", ""},
      {"empty list", "http://a.com/", "", "", ""},
      {"only separators", "http://a.com/", " ,;; ", "", ""},
      {"empty http entry", "http://a.com/", "http=", "", ""},
      {"colon only", "http://a.com/", ":", "", ""},
      {"two colons", "http://a.com/", "::", "", ""},
      {"url-style entry kept whole", "http://a.com/", "http://proxy:3128/", "",
       "http://proxy:3128/"},
      {"suffix bypass", "http://node.local/x", "p:1", "*.local", ""},
      {"suffix alone is not bypassed", "http://local/x", "p:1", "*.local", "p:1"},
      {"prefix bypass", "http://10.1.2.3:8080/x", "p:1", "<local>;10.*", ""},
      {"prefix needs the point", "http://100.1.2.3/x", "p:1", "10.*", "p:1"},
      {"exact host", "http://cdn.example/x", "p:1", "a.b, cdn.example", ""},
      {"point is literal", "http://cdnxexample/x", "p:1", "cdn.example", "p:1"},
      {"case-sensitive", "http://CDN.example/x", "p:1", "cdn.example", "p:1"},
      {"port and user are not the host", "http://u:pw@h.org:81/x", "p:1", "h.org", ""},
      {"everything", "http://any.host/", "p:1", "*", ""},
      {"broken pattern bypasses nothing", "http://a.com/", "p:1", "a(.com", "p:1"},
      {"regex meaning kept", "http://ab.com/", "p:1", "a?b.com", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChooseProxy(c.url, c.proxyList, c.bypassList), c.expected);
    EXPECT_EQ(ManualProxy(c.proxyList, c.bypassList).ProxyForUrl(c.url), c.expected);
  }
}

TEST(ProxyChoiceTest, HostOfUrl) {
  const std::pair<std::string, std::string> kCases[] = {
      {"http://a.b/c", "a.b"}, {"https://u:p@h:8080/x?y", "h"}, {"http://[::1]:80/", "[::1]"},
      {"http://h?q", "h"},     {"h.example:81", "h.example"},   {"", ""},
  };
  for (const auto& [url, host] : kCases) {
    SCOPED_TRACE(url);
    EXPECT_EQ(HostOfUrl(url), host);
  }
}

TEST(ProxyFactoryImplTest, EnvironmentGivesAManualProxy) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> env;
    std::string url;
    std::string expectedProxy;   // for url
    std::string expectedBypass;  // the bypass list built from no_proxy
  };
  const Case kCases[] = {
      {"http_proxy", {{"http_proxy", "http://p:3128"}}, "http://a.com/", "http://p:3128", ""},
      {"http_proxy first",
       {{"http_proxy", "p1:1"}, {"HTTP_PROXY", "p2:2"}, {"all_proxy", "p3:3"}},
       "http://a.com/",
       "p1:1",
       ""},
      {"upper case", {{"HTTP_PROXY", "p2:2"}, {"ALL_PROXY", "p4:4"}}, "http://a.com/", "p2:2", ""},
      {"all_proxy", {{"all_proxy", "p3:3"}, {"ALL_PROXY", "p4:4"}}, "http://a.com/", "p3:3", ""},
      {"ALL_PROXY", {{"ALL_PROXY", "p4:4"}}, "http://a.com/", "p4:4", ""},
      {"empty value is not set",
       {{"http_proxy", ""}, {"all_proxy", "p3:3"}},
       "http://a.com/",
       "p3:3",
       ""},
      {"no_proxy domain",
       {{"http_proxy", "p:1"}, {"no_proxy", "example.com"}},
       "http://cdn.example.com/",
       "",
       "example.com;*.example.com"},
      {"no_proxy domain itself",
       {{"http_proxy", "p:1"}, {"no_proxy", ".example.com, localhost"}},
       "http://example.com/",
       "",
       "example.com;*.example.com;localhost;*.localhost"},
      {"no_proxy other host",
       {{"http_proxy", "p:1"}, {"no_proxy", "example.com"}},
       "http://example.org/",
       "p:1",
       "example.com;*.example.com"},
      {"NO_PROXY", {{"http_proxy", "p:1"}, {"NO_PROXY", "*"}}, "http://a.com/", "", "*"},
      {"no_proxy first",
       {{"http_proxy", "p:1"}, {"no_proxy", "a.com"}, {"NO_PROXY", "*"}},
       "http://b.com/",
       "p:1",
       "a.com;*.a.com"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ProxyFactoryImpl factory(posix::ProxyTimeouts{}, [&c](const char* name) -> const char* {
      auto it = c.env.find(name);
      return it == c.env.end() ? nullptr : it->second.c_str();
    });
    auto proxy = std::dynamic_pointer_cast<ManualProxy>(factory.Create());
    ASSERT_TRUE(proxy);
    EXPECT_EQ(proxy->GetBypassList(), c.expectedBypass);
    EXPECT_EQ(proxy->ProxyForUrl(c.url), c.expectedProxy);
  }
}

TEST(ProxyFactoryImplTest, WithoutEnvironmentUsesTheDesktopSettingsOrGoesDirect) {
  ProxyFactoryImpl factory(posix::ProxyTimeouts{},
                           [](const char*) -> const char* { return nullptr; });
  const std::shared_ptr<Proxy> proxy = factory.Create();
  ASSERT_TRUE(proxy);
  EXPECT_TRUE(std::dynamic_pointer_cast<posix::AutomaticProxy>(proxy) ||
              std::dynamic_pointer_cast<EmptyProxy>(proxy));
}

TEST(AutomaticProxyTest, LibproxyAnswersFeedTheChoice) {
  struct Case {
    const char* name;
    std::vector<const char*> answers;
    std::string expected;
  };
  const Case kCases[] = {
      {"direct", {"direct://"}, ""},
      {"http proxy", {"http://p:8080", "direct://"}, "http://p:8080"},
      {"socks skipped", {"socks5://s:1080", "http://p:8080"}, "http://p:8080"},
      {"socks then direct", {"socks://s:1080", "direct://"}, ""},
      {"nothing usable", {"socks://s:1080"}, ""},
      {"no answers", {}, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<const char*> answers = c.answers;
    answers.push_back(nullptr);
    EXPECT_EQ(posix::AutomaticProxy::ChooseFromAnswers("http://a.com/x", answers.data()),
              c.expected);
  }
  EXPECT_EQ(posix::AutomaticProxy::ChooseFromAnswers("http://a.com/x", nullptr), "");
}

// The session's proxy decision reaches libcurl: a request goes through the configured proxy,
// and a bypassed host goes direct.
TEST(ProxyRequestTest, RequestsGoThroughTheSessionsProxy) {
  kiv::test::TestNodeServer origin;
  origin.AddFile("/x.bin", "payload");
  origin.Start();
  kiv::test::TestNodeServer proxy;
  proxy.EnableProxy(true);
  proxy.Start();

  struct Case {
    const char* name;
    std::string noProxy;
    size_t expectedProxied;
  };
  const Case kCases[] = {{"through the proxy", "", 1}, {"bypassed", "127.0.0.1", 0}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    proxy.ClearRequests();
    const std::string proxyUrl = "http://" + proxy.Host();
    ProxyFactoryImpl proxies(posix::ProxyTimeouts{}, [&](const char* name) -> const char* {
      if (std::string(name) == "http_proxy") return proxyUrl.c_str();
      if (std::string(name) == "no_proxy") return c.noProxy.c_str();
      return nullptr;
    });
    CurlRequestFactory factory(&proxies);
    RoundRobinSessionFactory sessions;
    testing::Sink sink;
    auto request =
        factory.CreateRequest(RequestParams(origin.Url("/x.bin"), &sink.writer), sessions.Create());
    const RequestResult result = request->Perform();
    EXPECT_EQ(result.state, State::Success) << result.errorDetails;
    EXPECT_EQ(sink.Text(), "payload");
    EXPECT_EQ(proxy.RequestCount(), c.expectedProxied);
  }
}

}  // namespace
}  // namespace kiv::http
