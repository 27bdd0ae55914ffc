// Manifest factories and HTTP sources against a real HTTP server on 127.0.0.1: the URLs they
// build, what they load, and how each kind of failure is classified.
#include <gtest/gtest.h>

#include <boost/property_tree/ptree.hpp>
#include <chrono>
#include <functional>
#include <future>
#include <sstream>
#include <thread>

#include "kiv/engine/constants.h"
#include "kiv/http/curl_request_factory.h"
#include "kiv/http/proxy.h"
#include "kiv/http/proxy_factory.h"
#include "kiv/http/round_robin_session_factory.h"
#include "kiv/http/session.h"
#include "kiv/manifest/geolocation_manifest.h"
#include "kiv/manifest/json_http_geolocation_manifest_factory.h"
#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/node_list_manifest.h"
#include "kiv/manifest/package_manifest.h"
#include "kiv/manifest/standard_package_manifest.h"
#include "kiv/manifest/xml_http_manifest_source.h"
#include "kiv/manifest/xml_http_node_list_manifest_factory.h"
#include "kiv/manifest/xml_http_package_manifest_factory.h"
#include "support/test_node_server.h"

namespace kiv {
namespace {

using namespace std::chrono_literals;

test::Fault Status(int status) {
  test::Fault fault;
  fault.status = status;
  return fault;
}

test::Fault ResetAfter(int64_t bytes) {
  test::Fault fault;
  fault.resetAfterBytes = bytes;
  return fault;
}

test::Fault Stall(std::chrono::milliseconds duration) {
  test::Fault fault;
  fault.stall = duration;
  return fault;
}

class DirectProxyFactory : public http::ProxyFactory {
 public:
  std::shared_ptr<http::Proxy> Create() override { return std::make_shared<http::EmptyProxy>(); }
};

const std::string kPackage =
    "<package id=\"pkg-100\" name=\"Demo\" partnerId=\"partner-7\" versionId=\"3.2.0\">"
    "<files><file path=\"a.bin\" chunksize=\"4\" size=\"5\" "
    "checksums=\"0000000100000002\"/></files>"
    "</package>";
const std::string kNodes =
    "<ArrayOfNodeInfo><NodeInfo NodeId=\"n-01\" Host=\"127.0.0.1:1\"/></ArrayOfNodeInfo>";
const std::string kGeolocation = R"({"ip":"127.0.0.1","country_code":"SE"})";

class ManifestFactoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.AddFile("/manifests/pkg-100/current.xml", kPackage);
    server_.AddFile("/manifests/pkg-100/3.2.0.xml", kPackage);
    server_.AddFile("/nodes/partner-7.xml", kNodes);
    server_.AddFile("/geo-location", kGeolocation);
    server_.Start();
  }
  void TearDown() override { server_.Stop(); }

  HttpManifestEndpoint Endpoint(std::string address, uint64_t maxBytes = 1 << 20) {
    return HttpManifestEndpoint{std::move(address), &requestFactory_, 5, 20, maxBytes};
  }

  test::TestNodeServer server_;
  DirectProxyFactory proxyFactory_;
  http::CurlRequestFactory requestFactory_{&proxyFactory_};
  std::shared_ptr<http::Session> session_ = http::RoundRobinSessionFactory().Create();
};

TEST_F(ManifestFactoryTest, UrlsOnTheManifestHost) {
  XmlHttpPackageManifestFactory packages(Endpoint("manifests.example:8080"));
  XmlHttpNodeListManifestFactory nodes(Endpoint("manifests.example"));
  struct Case {
    std::string url;
    std::string expected;
  };
  const Case kCases[] = {
      {packages.GetUrl("pkg-100"), "http://manifests.example:8080/manifests/pkg-100/current.xml"},
      {packages.GetUrl("pkg-100/3.2.0"),
       "http://manifests.example:8080/manifests/pkg-100/3.2.0.xml"},
      // Characters with a meaning in URLs stay part of the path.
      {packages.GetUrl("a b?c#d%"),
       "http://manifests.example:8080/manifests/a%20b%3Fc%23d%25/current.xml"},
      {nodes.GetUrl("partner-7"), "http://manifests.example/nodes/partner-7.xml"},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.url, c.expected);

  for (const char* host : {"", "host:port", "a b", "user@host", "host/path", "host?x", ":80"}) {
    SCOPED_TRACE(host);
    EXPECT_THROW(XmlHttpPackageManifestFactory(Endpoint(host)).GetUrl("pkg-100"),
                 ManifestLocatorException);
    EXPECT_THROW(XmlHttpNodeListManifestFactory(Endpoint(host)).Get("partner-7"),
                 ManifestLocatorException);
  }
}

TEST_F(ManifestFactoryTest, PackageMatchComparesThePackagePart) {
  StandardPackageManifest package;
  {
    std::istringstream text(kPackage);
    XmlHttpManifestSource source("unused", &requestFactory_, nullptr, 1, 1, 1 << 20);
    boost::property_tree::ptree tree;
    source.Parse(text, tree);
    package.Load(tree);
  }
  XmlHttpPackageManifestFactory factory(Endpoint(server_.Host()));
  struct Case {
    const char* locator;
    bool matches;
  };
  const Case kCases[] = {{"pkg-100", true}, {"pkg-100/3.2.0", true}, {"pkg-100/9.9", true},
                         {"pkg-1", false},  {"pkg-1000", false},     {" pkg-100", false},
                         {"", false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.locator);
    EXPECT_EQ(factory.Matches(package, c.locator), c.matches);
  }
}

TEST_F(ManifestFactoryTest, LoadsEachKindOverHttp) {
  XmlHttpPackageManifestFactory packages(Endpoint(server_.Host()));
  const auto current = packages.Get("pkg-100", session_);
  EXPECT_EQ(current->GetId(), "pkg-100");
  EXPECT_EQ(current->GetTotalSize(), 5u);
  EXPECT_EQ(packages.Get("pkg-100/3.2.0")->GetVersionId(), "3.2.0");

  XmlHttpNodeListManifestFactory nodes(Endpoint(server_.Host()));
  const auto list = nodes.Get("partner-7", session_);
  ASSERT_EQ(list->GetNodes().size(), 1u);
  EXPECT_EQ(list->GetNodes()[0]->GetNodeId(), "n-01");

  JsonHttpGeolocationManifestFactory geolocation(Endpoint(server_.Url("/geo-location")));
  EXPECT_EQ(geolocation.Get(session_)->GetCountryCode(), "SE");
  EXPECT_EQ(geolocation.Get()->GetIp(), "127.0.0.1");

  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 5u);
  EXPECT_EQ(requests[0].path, "/manifests/pkg-100/current.xml");
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].range, "");
  EXPECT_EQ(requests[0].userAgent, kiv::UserAgent);
  EXPECT_EQ(requests[1].path, "/manifests/pkg-100/3.2.0.xml");
  EXPECT_EQ(requests[2].path, "/nodes/partner-7.xml");
}

TEST_F(ManifestFactoryTest, FailuresAreClassified) {
  enum class Kind { Locator, Stream, Parse };
  struct Case {
    const char* name;
    std::function<void(test::TestNodeServer&)> setUp;
    const char* locator;
    Kind expected;
  };
  const std::vector<Case> kCases = {
      {"404", [](auto& s) { s.SetFault("/manifests/pkg-100/current.xml", Status(404)); }, "pkg-100",
       Kind::Locator},
      {"no such manifest", [](auto&) {}, "pkg-200", Kind::Locator},
      {"503", [](auto& s) { s.SetFault("/manifests/pkg-100/current.xml", Status(503)); }, "pkg-100",
       Kind::Stream},
      {"connection reset",
       [](auto& s) { s.SetFault("/manifests/pkg-100/current.xml", ResetAfter(10)); }, "pkg-100",
       Kind::Stream},
      {"other package", [](auto& s) { s.AddFile("/manifests/pkg-1/current.xml", kPackage); },
       "pkg-1", Kind::Locator},
      {"empty body", [](auto& s) { s.AddFile("/manifests/pkg-100/current.xml", ""); }, "pkg-100",
       Kind::Parse},
      {"not XML", [](auto& s) { s.AddFile("/manifests/pkg-100/current.xml", "{\"id\":1}"); },
       "pkg-100", Kind::Parse},
      {"invalid package",
       [](auto& s) { s.AddFile("/manifests/pkg-100/current.xml", "<package id=\"pkg-100\"/>"); },
       "pkg-100", Kind::Parse},
      {"too large",
       [](auto& s) {
         s.AddFile("/manifests/pkg-100/current.xml", std::string(5000, ' ') + kPackage);
       },
       "pkg-100", Kind::Stream},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    c.setUp(server_);
    XmlHttpPackageManifestFactory factory(Endpoint(server_.Host(), 4096));
    try {
      factory.Get(c.locator, session_);
      ADD_FAILURE() << "no exception";
    } catch (const ManifestLocatorException&) {
      EXPECT_EQ(c.expected, Kind::Locator);
    } catch (const ManifestStreamException& e) {
      EXPECT_EQ(c.expected, Kind::Stream);
      if (std::string(c.name) == "too large") {
        EXPECT_NE(std::string(e.what()).find("4096"), std::string::npos) << e.what();
      }
    } catch (const ManifestParseException&) {
      EXPECT_EQ(c.expected, Kind::Parse);
    }
    server_.ClearFaults();
    server_.AddFile("/manifests/pkg-100/current.xml", kPackage);
  }

  // Nobody listening.
  const std::string host = server_.Host();
  server_.Stop();
  EXPECT_THROW(XmlHttpNodeListManifestFactory(Endpoint(host)).Get("partner-7"),
               ManifestStreamException);
}

TEST_F(ManifestFactoryTest, AbortStopsAFetchInFlight) {
  XmlHttpPackageManifestFactory factory(Endpoint(server_.Host()));

  // An abort before the fetch has a request does nothing.
  const auto early = factory.CreateSource("pkg-100", session_);
  std::static_pointer_cast<HttpManifestSource>(early)->Abort();
  EXPECT_EQ(factory.Load(*early, "pkg-100")->GetId(), "pkg-100");

  server_.SetFault("/manifests/pkg-100/current.xml", Stall(20s));
  const auto source = factory.CreateSource("pkg-100", session_);
  auto loading = std::async(std::launch::async, [&] { return factory.Load(*source, "pkg-100"); });
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (server_.RequestCount() < 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  ASSERT_EQ(server_.RequestCount(), 2u);
  std::static_pointer_cast<HttpManifestSource>(source)->Abort();
  ASSERT_EQ(loading.wait_for(10s), std::future_status::ready);
  EXPECT_THROW(loading.get(), ManifestAbortedException);
}

}  // namespace
}  // namespace kiv
