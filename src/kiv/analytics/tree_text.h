// Small helpers that put text leaves into a tree under a literal key (never split at dots), so
// that every analytics record writes its keys the same way and in the order it calls them.
#pragma once

#include <boost/property_tree/ptree.hpp>
#include <cstdint>
#include <string>

namespace kiv::analytics_detail {

// Replaces the first child under key, or appends one: keys are literal, never paths.
inline void PutChild(boost::property_tree::ptree& tree, const std::string& key,
                     boost::property_tree::ptree child) {
  const auto found = tree.find(key);
  if (found == tree.not_found()) {
    tree.push_back({key, std::move(child)});
  } else {
    found->second = std::move(child);
  }
}

inline void PutText(boost::property_tree::ptree& tree, const std::string& key,
                    const std::string& value) {
  PutChild(tree, key, boost::property_tree::ptree(value));
}

inline void PutNumber(boost::property_tree::ptree& tree, const std::string& key, uint64_t value) {
  PutText(tree, key, std::to_string(value));
}

// Milliseconds as seconds, with the JSON form's double rule (1500 -> "1.5", 0 -> "0").
void PutSeconds(boost::property_tree::ptree& tree, const std::string& key, uint64_t milliseconds);

}  // namespace kiv::analytics_detail
