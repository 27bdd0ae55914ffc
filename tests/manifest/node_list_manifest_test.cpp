// Node lists and geolocations loaded from real XML and JSON text: worked examples, the weight
// and path rules, cloning and the node's output record.
#include <gtest/gtest.h>

#include <boost/property_tree/ptree.hpp>
#include <sstream>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/manifest_text_parser.h"
#include "kiv/manifest/standard_geolocation_manifest.h"
#include "kiv/manifest/standard_node_list_manifest.h"
#include "kiv/manifest/standard_node_manifest.h"
#include "kiv/optimizer/node_statistics.h"

namespace kiv {
namespace {

using boost::property_tree::ptree;

std::shared_ptr<StandardNodeListManifest> LoadNodes(const std::string& body) {
  std::istringstream input("<?xml version=\"1.0\"?>\n<ArrayOfNodeInfo>" + body +
                           "</ArrayOfNodeInfo>");
  ptree tree;
  ParseXmlManifest(input, tree);
  auto list = std::make_shared<StandardNodeListManifest>();
  list->Load(tree);
  return list;
}

std::string Node(const std::string& id, const std::string& extra = "") {
  return "<NodeInfo><NodeId>" + id + "</NodeId><Host>" + id + ".cdn.example</Host>" + extra +
         "</NodeInfo>";
}

TEST(NodeListManifestTest, WorkedExampleDropsZeroWeightNodes) {
  const auto list = LoadNodes(Node("n-01", "<Path>cdn/packages</Path><Weight>30</Weight>") +
                              Node("n-02", "<Weight>0</Weight>") + Node("n-03"));
  const auto& nodes = list->GetNodes();
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_EQ(nodes[0]->GetNodeId(), "n-01");
  EXPECT_EQ(nodes[0]->GetHost(), "n-01.cdn.example");
  EXPECT_EQ(nodes[0]->GetPath(), "/cdn/packages/");
  EXPECT_EQ(nodes[0]->GetWeight(), 30u);
  EXPECT_EQ(nodes[1]->GetNodeId(), "n-03");
  EXPECT_EQ(nodes[1]->GetPath(), "/packages/");
  EXPECT_EQ(nodes[1]->GetWeight(), 1u);
  // Every loaded node accounts into its own, fresh statistics and can point at itself.
  ASSERT_NE(nodes[0]->GetStatistics(), nullptr);
  EXPECT_NE(nodes[0]->GetStatistics(), nodes[1]->GetStatistics());
  EXPECT_EQ(nodes[0]->shared_from_this(), nodes[0]);
}

TEST(NodeListManifestTest, WeightsAndPaths) {
  struct Case {
    const char* name;
    std::string body;
    std::vector<uint32_t> weights;
    std::vector<std::string> paths;
  };
  const std::vector<Case> kCases = {
      {"all zero become 1",
       Node("a", "<Weight>0</Weight>") + Node("b", "<Weight>0</Weight>") +
           Node("c", "<Weight>0</Weight>"),
       {1, 1, 1},
       {"/packages/", "/packages/", "/packages/"}},
      {"zero dropped beside five",
       Node("a", "<Weight>0</Weight>") + Node("b", "<Weight>5</Weight>"),
       {5},
       {"/packages/"}},
      {"unreadable weights count 1",
       Node("a", "<Weight>abc</Weight>") + Node("b", "<Weight>-3</Weight>") +
           Node("c", "<Weight>4294967296</Weight>"),
       {1, 1, 1},
       {"/packages/", "/packages/", "/packages/"}},
      {"weight with spaces", Node("a", "<Weight> 7 </Weight>"), {7}, {"/packages/"}},
      // The 32-bit sum of these wraps to 0; they are still not all zero.
      {"weights whose sum wraps",
       Node("a", "<Weight>4294967295</Weight>") + Node("b", "<Weight>1</Weight>") +
           Node("c", "<Weight>0</Weight>"),
       {4294967295u, 1},
       {"/packages/", "/packages/"}},
      {"path normalisation",
       Node("a", "<Path>packages</Path>") + Node("b", "<Path>/x</Path>") +
           Node("c", "<Path>y/</Path>") + Node("d", "<Path></Path>") + Node("e", "<Path>/</Path>"),
       {1, 1, 1, 1, 1},
       {"/packages/", "/x/", "/y/", "/", "/"}},
      {"attribute form",
       "<NodeInfo NodeId=\"a\" Host=\"a.example\" Path=\"p\" Weight=\"3\"/>",
       {3},
       {"/p/"}},
      {"other children ignored",
       "<!-- nodes --><Other/>" + Node("a") + "<NodeInfoX/>",
       {1},
       {"/packages/"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const auto list = LoadNodes(c.body);
    std::vector<uint32_t> weights;
    std::vector<std::string> paths;
    for (const auto& node : list->GetNodes()) {
      weights.push_back(node->GetWeight());
      paths.push_back(node->GetPath());
    }
    EXPECT_EQ(weights, c.weights);
    EXPECT_EQ(paths, c.paths);
  }
}

TEST(NodeListManifestTest, InvalidListsFail) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case kCases[] = {
      {"no NodeInfo", "<ArrayOfNodeInfo></ArrayOfNodeInfo>"},
      {"only other children", "<ArrayOfNodeInfo><!-- none --><Node/></ArrayOfNodeInfo>"},
      {"wrong root", "<NodeList>" + Node("a") + "</NodeList>"},
      {"empty host", "<ArrayOfNodeInfo>" + Node("a") +
                         "<NodeInfo><NodeId>b</NodeId><Host></Host></NodeInfo></ArrayOfNodeInfo>"},
      {"missing host",
       "<ArrayOfNodeInfo><NodeInfo><NodeId>b</NodeId></NodeInfo></ArrayOfNodeInfo>"},
      {"empty node id", "<ArrayOfNodeInfo><NodeInfo NodeId=\"\" Host=\"h\"/></ArrayOfNodeInfo>"},
      {"malformed", "<ArrayOfNodeInfo><NodeInfo>"},
      {"empty text", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::istringstream input(c.text);
    EXPECT_THROW(
        {
          ptree tree;
          ParseXmlManifest(input, tree);
          StandardNodeListManifest().Load(tree);
        },
        ManifestParseException);
  }
}

TEST(NodeManifestTest, SaveWritesHostAndStatistics) {
  const auto node = LoadNodes(Node("n-01", "<Path>cdn</Path><Weight>30</Weight>"))->GetNodes()[0];
  ptree record;
  node->Save(record);
  EXPECT_EQ(record.get<std::string>("Node"), "n-01.cdn.example");
  EXPECT_EQ(record.get<std::string>("Path"), "/cdn/");
  EXPECT_EQ(record.get<std::string>("Weight"), "30");
  EXPECT_EQ(record.get<std::string>("Requests"), "0");
  EXPECT_EQ(record.get<std::string>("Average Request Speed"), "0");
  EXPECT_EQ(record.count("NodeId"), 0u);
}

TEST(NodeManifestTest, CloneKeepsValuesAndTakesNewStatistics) {
  const auto node = LoadNodes(Node("n-01", "<Path>cdn</Path><Weight>30</Weight>"))->GetNodes()[0];
  const auto statistics = std::make_shared<NodeStatistics>();
  const auto clone = node->Clone(statistics);
  EXPECT_NE(clone, node);
  EXPECT_EQ(clone->GetNodeId(), "n-01");
  EXPECT_EQ(clone->GetHost(), "n-01.cdn.example");
  EXPECT_EQ(clone->GetPath(), "/cdn/");
  EXPECT_EQ(clone->GetWeight(), 30u);
  EXPECT_EQ(clone->GetStatistics(), statistics);
  EXPECT_EQ(clone->shared_from_this(), clone);
}

std::shared_ptr<StandardGeolocationManifest> LoadGeolocation(const std::string& json) {
  std::istringstream input(json);
  ptree tree;
  ParseJsonManifest(input, tree);
  auto geolocation = std::make_shared<StandardGeolocationManifest>();
  geolocation->Load(tree);
  return geolocation;
}

TEST(GeolocationManifestTest, WorkedExampleAndDefaults) {
  const auto full = LoadGeolocation(
      R"({"ip":"198.51.100.7","country_code":"SE","country_name":"Sweden","country_code3":"SWE",)"
      R"("continent_code":"EU","isp":"Example Telecom","city":{"name":"Lund"}})");
  EXPECT_EQ(full->GetIp(), "198.51.100.7");
  EXPECT_EQ(full->GetCountryCode(), "SE");
  EXPECT_EQ(full->GetCountryName(), "Sweden");
  EXPECT_EQ(full->GetCountryCode3(), "SWE");
  EXPECT_EQ(full->GetContinentCode(), "EU");
  EXPECT_EQ(full->GetIsp(), "Example Telecom");

  const auto minimal = LoadGeolocation(R"({"ip": 3325256711, "country_code": "SE"})");
  EXPECT_EQ(minimal->GetIp(), "3325256711");  // numbers load as their text
  EXPECT_EQ(minimal->GetCountryName(), "");
  EXPECT_EQ(minimal->GetIsp(), "");
}

TEST(GeolocationManifestTest, InvalidObjectsFail) {
  const char* kCases[] = {
      R"({"ip":"198.51.100.7"})",
      R"({"ip":"198.51.100.7","country_code":""})",
      R"({"country_code":"SE"})",
      R"({"ip":{"v4":"198.51.100.7"},"country_code":"SE"})",
      R"(["198.51.100.7","SE"])",
      R"({"ip":"198.51.100.7","country_code":"SE")",
      "",
  };
  for (const char* json : kCases) {
    SCOPED_TRACE(json);
    EXPECT_THROW(LoadGeolocation(json), ManifestParseException);
  }
}

}  // namespace
}  // namespace kiv
