// The engine's own JSON text for property trees: analytics bodies, work-log lines and the node
// list all go through this one writer, so they agree byte for byte. Every leaf is a string,
// output is compact and ends with a line feed, and escapes work byte by byte.
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>
#include <iosfwd>
#include <stdexcept>
#include <string>

namespace kiv {

// Leaf data that the writer turns into {} and [] instead of a quoted string.
inline const std::string kJsonEmptyObject = "boost::property_tree::json_parser::empty_object";
inline const std::string kJsonEmptyArray = "boost::property_tree::json_parser::empty_array";

// A tree that cannot be written (data beside children, or data at the top level) or a stream
// that failed. what() is the bare message, without a file name.
class JsonFormException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes the tree to the stream; throws JsonFormException before writing anything when the
// tree cannot be represented, and after writing when the stream has failed.
void WriteJson(std::ostream& stream, const boost::property_tree::ptree& tree);

// The same text as a string.
std::string ToJson(const boost::property_tree::ptree& tree);

// The text a double is put into a tree with: 16 significant digits in the classic locale and
// the default float notation (1.5, 0.25, 0.3333333333333333, 0).
std::string DoubleToText(double value);

}  // namespace kiv
