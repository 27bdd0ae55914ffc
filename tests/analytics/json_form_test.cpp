// Byte-exact checks of the JSON form: what analytics bodies, log lines and node lists contain.
#include "kiv/analytics/json_form.h"

#include <limits>
#include <sstream>
#include <string>
#include <vector>

#define BOOST_BIND_GLOBAL_PLACEHOLDERS
#include <gtest/gtest.h>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

namespace kiv {
namespace {

using boost::property_tree::ptree;

ptree Leaf(const std::string& data) { return ptree(data); }

ptree Object(std::initializer_list<std::pair<std::string, ptree>> children) {
  ptree tree;
  for (const auto& child : children) tree.push_back(child);
  return tree;
}

ptree Array(std::initializer_list<ptree> items) {
  ptree tree;
  for (const auto& item : items) tree.push_back({"", item});
  return tree;
}

TEST(JsonFormTest, WritesTreesCompactly) {
  struct Case {
    const char* name;
    ptree tree;
    std::string expected;
  };
  const std::vector<Case> kCases = {
      {"empty top level is an empty array", ptree(), "[]\n"},
      {"leaves are strings", Object({{"a", Leaf("1")}, {"b", Leaf("")}, {"c", Leaf("true")}}),
       "{\"a\":\"1\",\"b\":\"\",\"c\":\"true\"}\n"},
      {"insertion order and duplicate keys kept",
       Object({{"z", Leaf("1")}, {"a", Leaf("2")}, {"z", Leaf("3")}}),
       "{\"z\":\"1\",\"a\":\"2\",\"z\":\"3\"}\n"},
      {"empty markers", Object({{"o", Leaf(kJsonEmptyObject)}, {"a", Leaf(kJsonEmptyArray)}}),
       "{\"o\":{},\"a\":[]}\n"},
      {"marker text inside a longer value is ordinary",
       Object({{"o", Leaf(kJsonEmptyObject + " ")}}),
       "{\"o\":\"boost::property_tree::json_parser::empty_object \"}\n"},
      {"top-level array", Array({Leaf("x"), Leaf("y")}), "[\"x\",\"y\"]\n"},
      {"arrays at any depth",
       Object({{"list", Array({Object({{"k", Leaf("v")}}), Array({Leaf("1")}), Leaf("s")})}}),
       "{\"list\":[{\"k\":\"v\"},[\"1\"],\"s\"]}\n"},
      {"one named child among empty keys makes an object",
       Object({{"", Leaf("a")}, {"n", Leaf("b")}}), "{\"\":\"a\",\"n\":\"b\"}\n"},
      {"nested objects",
       Object({{"event", Leaf("Start")},
               {"params", Object({{"id", Leaf("7")}, {"inner", Object({{"x", Leaf("y")}})}})}}),
       "{\"event\":\"Start\",\"params\":{\"id\":\"7\",\"inner\":{\"x\":\"y\"}}}\n"},
      {"keys are escaped like data", Object({{"a\"b/c", Leaf("v")}}), "{\"a\\\"b\\/c\":\"v\"}\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToJson(c.tree), c.expected);
    std::ostringstream stream;
    WriteJson(stream, c.tree);
    EXPECT_EQ(stream.str(), c.expected);
  }
}

TEST(JsonFormTest, EscapesByteByByte) {
  struct Case {
    const char* name;
    std::string data;
    std::string expected;
  };
  const std::vector<Case> kCases = {
      {"quote, backslash, slash", "\"\\/", "\\\"\\\\\\/"},
      {"named controls", "\b\f\n\r\t", "\\b\\f\\n\\r\\t"},
      {"other controls in upper-case hex", std::string("\x00\x01\x1f", 3), "\\u0000\\u0001\\u001F"},
      {"127 stays", "\x7f", "\x7f"},
      {"each UTF-8 byte on its own", "\xc3\xa9", "\\u00C3\\u00A9"},
      {"byte 128 and 255", "\x80\xff", "\\u0080\\u00FF"},
      {"printable ASCII unchanged", " ~Az09{}[]:,'", " ~Az09{}[]:,'"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToJson(Object({{"k", Leaf(c.data)}})), "{\"k\":\"" + c.expected + "\"}\n");
  }
}

TEST(JsonFormTest, RefusesTreesThatCannotBeRepresented) {
  ptree dataBesideChildren = Object({{"a", Leaf("1")}});
  dataBesideChildren.get_child("a").push_back({"b", Leaf("2")});
  struct Case {
    const char* name;
    ptree tree;
  };
  const std::vector<Case> kCases = {
      {"data at the top level", Leaf("x")},
      {"marker at the top level", Leaf(kJsonEmptyObject)},
      {"data beside children below the top", dataBesideChildren},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    try {
      std::ostringstream stream;
      WriteJson(stream, c.tree);
      ADD_FAILURE() << "no exception";
    } catch (const JsonFormException& e) {
      EXPECT_STREQ(e.what(), "ptree contains data that cannot be represented in JSON format");
    }
    EXPECT_THROW(ToJson(c.tree), JsonFormException);
  }
}

TEST(JsonFormTest, ReportsAFailedStream) {
  std::ostringstream stream;
  stream.setstate(std::ios::badbit);
  try {
    WriteJson(stream, Object({{"a", Leaf("1")}}));
    ADD_FAILURE() << "no exception";
  } catch (const JsonFormException& e) {
    EXPECT_STREQ(e.what(), "write error");
  }
}

// The text can be read back by an ordinary JSON parser (Boost's), leaf for leaf.
TEST(JsonFormTest, ReadsBackWithAStandardParser) {
  const ptree tree = Object({{"pid", Leaf("p")},
                             {"metrics", Object({{"numStarts", Leaf("1")}})},
                             {"text", Leaf("tab\tquote\" slash/ nl\n")}});
  std::istringstream in(ToJson(tree));
  ptree back;
  boost::property_tree::read_json(in, back);
  EXPECT_EQ(back, tree);
}

TEST(JsonFormTest, DoublesUseSixteenSignificantDigits) {
  struct Case {
    double value;
    const char* expected;
  };
  const Case kCases[] = {
      {1.5, "1.5"},    {0.25, "0.25"},         {1.0 / 3.0, "0.3333333333333333"},
      {0.0, "0"},      {1500 / 1000.0, "1.5"}, {123456789.0, "123456789"},
      {1e20, "1e+20"}, {-2.5, "-2.5"},
  };
  // A German global locale must not put a decimal comma into the wire format.
  std::locale previous = std::locale::global(std::locale::classic());
  try {
    std::locale::global(std::locale("de_DE.UTF-8"));
  } catch (const std::runtime_error&) {
  }
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(DoubleToText(c.value), c.expected);
  }
  std::locale::global(previous);
}

}  // namespace
}  // namespace kiv
