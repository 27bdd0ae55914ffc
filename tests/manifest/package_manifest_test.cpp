// Package and file manifests loaded from real XML text: the worked example, the validation
// rules, chunk arithmetic and the path rules that keep writes inside the destination folder.
#include <gtest/gtest.h>

#include <boost/property_tree/ptree.hpp>
#include <limits>
#include <sstream>
#include <vector>

#include "kiv/manifest/manifest_exceptions.h"
#include "kiv/manifest/manifest_text_parser.h"
#include "kiv/manifest/standard_file_manifest.h"
#include "kiv/manifest/standard_package_manifest.h"

namespace kiv {
namespace {

// Three chunks of 1024, 1024 and 1 bytes.
const std::string kChecksums = "0123456789abcdefDEADBEEF";

const std::string kExample =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<package>\n"
    "  <id>pkg-100</id>\n"
    "  <name>Demo package</name>\n"
    "  <partnerId>partner-7</partnerId>\n"
    "  <versionId>3.2.0</versionId>\n"
    "  <run>setup/start.exe</run>\n"
    "  <isActive>true</isActive>\n"
    "  <version>\n"
    "    <id>3.2.0</id>\n"
    "    <run>setup/start.exe</run>\n"
    "    <policy>Blacklist</policy>\n"
    "    <countryCodes><countryCode>AQ</countryCode><countryCode>BV</countryCode></countryCodes>\n"
    "  </version>\n"
    "  <files>\n"
    "    <file><path>setup/start.exe</path><chunksize>1024</chunksize><size>2049</size>"
    "<checksums>" +
    kChecksums +
    "</checksums></file>\n"
    "    <file path=\"data/maps.bin\" chunksize=\"1024\" size=\"0\" checksums=\"\"/>\n"
    "  </files>\n"
    "</package>\n";

struct Replacement {
  std::string from;
  std::string to;
};

// The example with every occurrence of each `from` replaced.
std::string Edit(const std::vector<Replacement>& replacements) {
  std::string text = kExample;
  for (const auto& r : replacements) {
    size_t at = text.find(r.from);
    EXPECT_NE(at, std::string::npos) << "fixture does not contain " << r.from;
    while (at != std::string::npos) {
      text.replace(at, r.from.size(), r.to);
      at = text.find(r.from, at + r.to.size());
    }
  }
  return text;
}

std::shared_ptr<StandardPackageManifest> LoadPackage(const std::string& xml) {
  std::istringstream input(xml);
  boost::property_tree::ptree tree;
  ParseXmlManifest(input, tree);
  auto package = std::make_shared<StandardPackageManifest>();
  package->Load(tree);
  return package;
}

TEST(PackageManifestTest, WorkedExampleLoadsAsDescribed) {
  const auto package = LoadPackage(kExample);
  EXPECT_EQ(package->GetId(), "pkg-100");
  EXPECT_EQ(package->GetName(), "Demo package");
  EXPECT_EQ(package->GetPartnerId(), "partner-7");
  EXPECT_EQ(package->GetVersionId(), "3.2.0");
  EXPECT_EQ(package->GetRun(), "setup/start.exe");
  EXPECT_TRUE(package->IsActive());

  ASSERT_EQ(package->GetFiles().size(), 2u);
  const auto& start = package->GetFiles()[0];
  const auto& maps = package->GetFiles()[1];
  EXPECT_EQ(package->GetRunFile(), start);
  EXPECT_EQ(package->GetRunFiles(), FileManifestList{start});
  EXPECT_EQ(package->GetOtherFiles(), FileManifestList{maps});
  EXPECT_EQ(package->GetTotalSize(), 2049u);

  EXPECT_EQ(start->GetPath(), "setup/start.exe");
  EXPECT_EQ(start->GetChunkSize(), 1024u);
  EXPECT_EQ(start->GetSize(), 2049u);
  EXPECT_EQ(start->GetChunkCount(), 3u);
  EXPECT_EQ(start->GetChecksums(), (std::vector<uint32_t>{0x01234567, 0x89abcdef, 0xdeadbeef}));
  // The attribute form of a file loads like the element form.
  EXPECT_EQ(maps->GetPath(), "data/maps.bin");
  EXPECT_EQ(maps->GetChunkCount(), 0u);
  EXPECT_TRUE(maps->GetChecksums().empty());

  for (const char* code : {"AQ", "BV"}) EXPECT_FALSE(package->IsCountryAllowed(code)) << code;
  for (const char* code : {"SE", "aq", "", "AQ "})
    EXPECT_TRUE(package->IsCountryAllowed(code)) << code;
}

TEST(PackageManifestTest, InvalidDocumentsFailToParse) {
  struct Case {
    const char* name;
    std::vector<Replacement> edits;
  };
  const std::string startFile = "<file><path>setup/start.exe</path>";
  const std::vector<Case> kCases = {
      {"no package root", {{"package>", "pkg>"}}},
      {"empty id", {{"<id>pkg-100</id>", "<id></id>"}}},
      {"missing name", {{"<name>Demo package</name>", ""}}},
      {"empty partnerId", {{"<partnerId>partner-7</partnerId>", "<partnerId/>"}}},
      {"missing versionId", {{"<versionId>3.2.0</versionId>", ""}}},
      {"missing files", {{"<files>", "<filez>"}, {"</files>", "</filez>"}}},
      {"comment inside files", {{"<files>", "<files><!-- two files -->"}}},
      {"attribute on files", {{"<files>", "<files count=\"2\">"}}},
      {"other element inside files", {{"<files>", "<files><folder/>"}}},
      {"comment inside countryCodes", {{"<countryCodes>", "<countryCodes><!-- x -->"}}},
      {"attribute on countryCodes", {{"<countryCodes>", "<countryCodes n=\"2\">"}}},
      {"run names no file", {{"<run>setup/start.exe</run>", "<run>setup/other.exe</run>"}}},
      {"version id differs", {{"<id>3.2.0</id>", "<id>3.2.1</id>"}}},
      {"version run differs", {{"<run>setup/start.exe</run>\n    <policy>", "<policy>"}}},
      {"missing version id", {{"<id>3.2.0</id>", ""}}},
      {"policy in lower case", {{"Blacklist", "blacklist"}}},
      {"codes without policy", {{"<policy>Blacklist</policy>", ""}}},
      {"three-letter code", {{"<countryCode>AQ</countryCode>", "<countryCode>AQX</countryCode>"}}},
      {"23 checksum digits", {{kChecksums, kChecksums.substr(1)}}},
      {"25 checksum digits", {{kChecksums, kChecksums + "0"}}},
      {"non-hexadecimal checksum", {{"DEADBEEF", "DEADBEEG"}}},
      {"chunksize 0 with empty checksums", {{"chunksize=\"1024\"", "chunksize=\"0\""}}},
      {"size 0 without checksums", {{" checksums=\"\"", ""}}},
      {"negative size", {{"<size>2049</size>", "<size>-1</size>"}}},
      {"size with trailing text", {{"<size>2049</size>", "<size>2049 bytes</size>"}}},
      {"chunksize past 32 bits",
       {{"<chunksize>1024</chunksize>", "<chunksize>4294967296</chunksize>"}}},
      {"missing path", {{startFile, "<file>"}}},
      {"rounding overflows",
       {{"chunksize=\"1024\" size=\"0\"", "chunksize=\"2\" size=\"18446744073709551615\""}}},
      {"too many chunks",
       {{"chunksize=\"1024\" size=\"0\"", "chunksize=\"1\" size=\"536870912\""}}},
      {"not XML", {{"<package>", "<package"}}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(LoadPackage(Edit(c.edits)), ManifestParseException);
  }
}

TEST(PackageManifestTest, PathsThatLeaveTheDestinationAreRefused) {
  struct Case {
    const char* path;
    bool safe;
  };
  const Case kCases[] = {
      {"data/maps.bin", true},
      {"maps.bin", true},
      {"a\\..\\b.bin", true},  // backslashes are ordinary characters here
      {"..data/x", true},
      {"data/.hidden", true},
      {"", false},
      {"/etc/passwd", false},
      {"../maps.bin", false},
      {"data/../../maps.bin", false},
      {"data/..", false},
      {"./maps.bin", false},
      {"data//maps.bin", false},
      {"data/", false},
      {"data/./maps.bin", false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(StandardFileManifest::IsSafeRelativePath(c.path), c.safe);
    const std::string xml =
        Edit({{"path=\"data/maps.bin\"", std::string("path=\"") + c.path + "\""}});
    if (c.safe) {
      EXPECT_EQ(LoadPackage(xml)->GetFiles()[1]->GetPath(), c.path);
    } else {
      EXPECT_THROW(LoadPackage(xml), ManifestParseException);
    }
  }
  // A NUL byte would cut the name short when the file is opened.
  EXPECT_FALSE(StandardFileManifest::IsSafeRelativePath(std::string("data/a\0b", 8)));
  EXPECT_THROW(LoadPackage(Edit({{"path=\"data/maps.bin\"", "path=\"data/a&#0;b\""}})),
               ManifestParseException);
}

TEST(PackageManifestTest, ValidVariants) {
  struct Case {
    const char* name;
    std::vector<Replacement> edits;
    std::string id = "pkg-100";
    bool active = true;
    size_t runFiles = 1;
    size_t otherFiles = 1;
  };
  const std::string secondStart =
      "<file path=\"setup/start.exe\" chunksize=\"1024\" size=\"0\" checksums=\"\"/>";
  const std::vector<Case> kCases = {
      {"id only as an attribute",
       {{"<package>", "<package id=\"pkg-100\">"}, {"<id>pkg-100</id>", ""}}},
      {"element wins over attribute", {{"<package>", "<package id=\"other\">"}}},
      {"id keeps surrounding spaces", {{"<id>pkg-100</id>", "<id> pkg-100 </id>"}}, " pkg-100 "},
      {"isActive 0", {{"<isActive>true</isActive>", "<isActive>0</isActive>"}}, "pkg-100", false},
      {"isActive false",
       {{"<isActive>true</isActive>", "<isActive>false</isActive>"}},
       "pkg-100",
       false},
      {"isActive yes reads as true", {{"<isActive>true</isActive>", "<isActive>yes</isActive>"}}},
      {"isActive absent", {{"<isActive>true</isActive>", ""}}},
      {"numbers surrounded by spaces", {{"<size>2049</size>", "<size> 2049\n</size>"}}},
      {"comments elsewhere are ignored", {{"<id>", "<!-- c --><id>"}}},
      {"empty run", {{"<run>setup/start.exe</run>", ""}}, "pkg-100", true, 0, 2},
      {"two run files", {{"</files>", secondStart + "</files>"}}, "pkg-100", true, 2, 1},
      {"no version element",
       {{"<policy>Blacklist</policy>", ""},
        {"<countryCodes><countryCode>AQ</countryCode><countryCode>BV</countryCode></countryCodes>",
         ""},
        {"<version>", "<!--"},
        {"</version>", "-->"}}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const auto package = LoadPackage(Edit(c.edits));
    EXPECT_EQ(package->GetId(), c.id);
    EXPECT_EQ(package->IsActive(), c.active);
    EXPECT_EQ(package->GetRunFiles().size(), c.runFiles);
    EXPECT_EQ(package->GetOtherFiles().size(), c.otherFiles);
    const auto expectedRunFile = c.runFiles == 0 ? nullptr : package->GetRunFiles().back();
    EXPECT_EQ(package->GetRunFile(), expectedRunFile);
  }
}

TEST(PackageManifestTest, CountryPolicies) {
  struct Case {
    const char* name;
    std::string version;
    std::vector<std::string> allowed;
    std::vector<std::string> refused;
  };
  const std::string codes =
      "<countryCodes><countryCode>SE</countryCode><countryCode>SE</countryCode></countryCodes>";
  const Case kCases[] = {
      {"whitelist", "<policy>Whitelist</policy>" + codes, {"SE"}, {"NO", "se"}},
      {"whitelist without codes", "<policy>Whitelist</policy>", {}, {"SE", "NO"}},
      {"blacklist without codes", "<policy>Blacklist</policy>", {"SE", "NO"}, {}},
      {"policy None with codes", "<policy>None</policy>" + codes, {"SE", "NO"}, {}},
      {"empty policy, no codes", "<policy></policy>", {"SE"}, {}},
  };
  const std::string original =
      "<policy>Blacklist</policy>\n"
      "    <countryCodes><countryCode>AQ</countryCode><countryCode>BV</countryCode></countryCodes>";
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const auto package = LoadPackage(Edit({{original, c.version}}));
    for (const auto& code : c.allowed) EXPECT_TRUE(package->IsCountryAllowed(code)) << code;
    for (const auto& code : c.refused) EXPECT_FALSE(package->IsCountryAllowed(code)) << code;
    ASSERT_NE(package->GetVersion(), nullptr);
    EXPECT_NE(package->GetVersion()->GetPolicy(), GeofencePolicy::Unset);
  }
}

TEST(FileManifestTest, ChunkCountLimits) {
  constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();
  struct Case {
    const char* name;
    uint32_t chunkSize;
    uint64_t size;
    int64_t count;  // -1: overflow
  };
  const Case kCases[] = {
      {"chunksize 0", 0, 100, 0},
      {"empty file", 1024, 0, 0},
      {"exact multiple", 1024, 2048, 2},
      {"one byte over", 1024, 2049, 3},
      {"last chunk count allowed", 1, 536870911, 536870911},
      {"one chunk too many", 1, 536870912, -1},
      {"rounding overflows", 2, kMax64, -1},
      {"largest chunk size", std::numeric_limits<uint32_t>::max(), 4294967295ull * 1000, 1000},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    if (c.count < 0) {
      EXPECT_THROW(FileManifest::ChunkCount(c.chunkSize, c.size), ManifestOverflowException);
    } else {
      EXPECT_EQ(FileManifest::ChunkCount(c.chunkSize, c.size), static_cast<uint32_t>(c.count));
    }
  }
}

}  // namespace
}  // namespace kiv
