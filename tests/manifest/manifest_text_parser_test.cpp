// The XML and JSON readers: the tree shape manifests rely on and the bound on nesting depth.
#include "kiv/manifest/manifest_text_parser.h"

#include <gtest/gtest.h>

#include <boost/property_tree/ptree.hpp>
#include <sstream>

#include "kiv/manifest/manifest_exceptions.h"

namespace kiv {
namespace {

using boost::property_tree::ptree;

ptree Xml(const std::string& text) {
  std::istringstream input(text);
  ptree tree;
  ParseXmlManifest(input, tree);
  return tree;
}

std::vector<std::string> Keys(const ptree& node) {
  std::vector<std::string> keys;
  for (const auto& child : node) keys.push_back(child.first);
  return keys;
}

TEST(ManifestTextParserTest, XmlTreeShape) {
  const ptree tree =
      Xml("<?xml version=\"1.0\"?><?style sheet?>"
          "<root a=\"1\" b='x &amp; y'><!-- note --><a>child</a><c> spaced <![CDATA[<raw>]]> </c>"
          "<leaf z=\"9\"/></root>");
  const ptree& root = tree.get_child("root");
  // Real children first, then the attribute holder's copies at the end.
  EXPECT_EQ(Keys(root),
            (std::vector<std::string>{"<xmlattr>", "<xmlcomment>", "a", "c", "leaf", "a", "b"}));
  EXPECT_EQ(root.get<std::string>("a"), "child");  // the element wins over the attribute
  EXPECT_EQ(root.get<std::string>("b"), "x & y");
  EXPECT_EQ(root.get<std::string>("<xmlcomment>"), " note ");
  EXPECT_EQ(root.get<std::string>("c"), " spaced <raw> ");
  EXPECT_EQ(root.get_child("leaf").get<std::string>("z"), "9");
  EXPECT_EQ(Keys(root.get_child("leaf")), (std::vector<std::string>{"<xmlattr>", "z"}));
}

TEST(ManifestTextParserTest, NestingIsBounded) {
  auto nestedXml = [](size_t depth) {
    std::string text;
    for (size_t i = 0; i < depth; ++i) text += "<a x=\"<a>\">";
    text += "v";
    for (size_t i = 0; i < depth; ++i) text += "</a>";
    return text;
  };
  auto nestedJson = [](size_t depth) {
    return std::string(depth, '[') + "\"]}\"" + std::string(depth, ']');
  };
  EXPECT_EQ(XmlNestingDepth(nestedXml(kMaxManifestDepth)), kMaxManifestDepth);
  EXPECT_EQ(JsonNestingDepth(nestedJson(kMaxManifestDepth)), kMaxManifestDepth);
  EXPECT_NO_THROW(Xml(nestedXml(kMaxManifestDepth)));
  EXPECT_THROW(Xml(nestedXml(kMaxManifestDepth + 1)), ManifestParseException);

  // Deep enough to overflow a recursive reader's stack if it were let through.
  const size_t kHostile = 1000000;
  EXPECT_THROW(Xml(nestedXml(kHostile)), ManifestParseException);
  EXPECT_THROW(Xml(std::string(kHostile, '<')), ManifestParseException);
  for (const std::string& json : {nestedJson(kMaxManifestDepth + 1), nestedJson(kHostile),
                                  std::string(kHostile, '{'), std::string(kHostile, '[')}) {
    std::istringstream input(json);
    ptree tree;
    EXPECT_THROW(ParseJsonManifest(input, tree), ManifestParseException);
  }
  std::istringstream shallow(nestedJson(kMaxManifestDepth));
  ptree tree;
  EXPECT_NO_THROW(ParseJsonManifest(shallow, tree));
}

TEST(ManifestTextParserTest, DepthCountsOnlyWhatTheReaderNests) {
  struct Case {
    const char* name;
    std::string text;
    size_t depth;
  };
  const Case kCases[] = {
      {"comment", "<a><!-- <b><c><d> --></a>", 1},
      {"cdata", "<a><![CDATA[<b><c>]]></a>", 1},
      {"closing tags in a comment do not lower the count", "<a><!-- </a></a> --><b><c/></b></a>",
       3},
      {"quoted >", "<a t='>'><b/></a>", 2},
      {"declaration and instruction", "<?xml version=\"1.0\"?><?pi <x><y>?><a/>", 1},
      {"doctype with subset", "<!DOCTYPE a [<!ELEMENT a ANY>]><a><b/></a>", 2},
      {"unknown declaration", "<!x [ ><a><b><c/></b></a>", 3},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(XmlNestingDepth(c.text), c.depth);
  }
  EXPECT_EQ(JsonNestingDepth(R"({"a":"[[[\"[[","b":[{}]})"), 3u);
}

TEST(ManifestTextParserTest, MalformedTextIsAParseFailure) {
  const char* kXml[] = {"<a>", "<a></b", "<a b=c/>", "<a><!-- open", "<", "\x01\x02"};
  for (const char* text : kXml) {
    SCOPED_TRACE(text);
    EXPECT_THROW(Xml(text), ManifestParseException);
  }
  const char* kJson[] = {"", "{", "{\"a\":}", "[1,]", "{\"a\":\"\\q\"}", "nul"};
  for (const char* text : kJson) {
    SCOPED_TRACE(text);
    std::istringstream input(text);
    ptree tree;
    EXPECT_THROW(ParseJsonManifest(input, tree), ManifestParseException);
  }
}

}  // namespace
}  // namespace kiv
