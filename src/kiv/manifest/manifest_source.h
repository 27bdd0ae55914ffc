// Where manifest text comes from and how it becomes a tree: the one read path of every
// manifest (HTTP sources here, the stored-transfer files elsewhere).
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>
#include <iosfwd>
#include <string>

namespace kiv {

class InputManifest;

class ManifestSource {
 public:
  virtual ~ManifestSource() = default;

  // Writes the raw text of the manifest named key into output.
  virtual void Fetch(const std::string& key, std::stringstream& output) = 0;
  // Parses the text into the tree.
  virtual void Parse(std::istream& input, boost::property_tree::ptree& tree) = 0;

  // Fetch, Parse, then the manifest's Load. Raises the ManifestException family (and
  // std::bad_alloc); after a throw the manifest is unusable.
  void Read(const std::string& key, InputManifest& manifest);
};

}  // namespace kiv
