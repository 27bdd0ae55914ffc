// The JSON form writer. It validates the whole tree first so that a bad tree never leaves a
// half-written line behind.
#include "kiv/analytics/json_form.h"

#include <boost/property_tree/ptree.hpp>
#include <locale>
#include <ostream>
#include <sstream>
#include <vector>

namespace kiv {
namespace {

using boost::property_tree::ptree;

const char kCannotRepresent[] = "ptree contains data that cannot be represented in JSON format";
const char kWriteError[] = "write error";

// Iterative so that a very deep tree cannot exhaust the stack of a pool thread.
bool IsRepresentable(const ptree& root) {
  if (!root.data().empty()) return false;
  std::vector<const ptree*> pending{&root};
  while (!pending.empty()) {
    const ptree* node = pending.back();
    pending.pop_back();
    if (!node->data().empty() && !node->empty()) return false;
    for (const auto& child : *node) pending.push_back(&child.second);
  }
  return true;
}

void AppendEscaped(std::string& out, const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    switch (byte) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '/':
        out += "\\/";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 32 || byte >= 128) {
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 0x0F];
        } else {
          out += ch;
        }
    }
  }
}

bool IsArray(const ptree& node) {
  for (const auto& child : node) {
    if (!child.first.empty()) return false;
  }
  return true;
}

// One frame per open object or array: the node, the next child to write and its kind.
struct Frame {
  const ptree* node;
  ptree::const_iterator next;
  bool array;
};

void AppendValue(std::string& out, const ptree& node, std::vector<Frame>& stack, bool topLevel) {
  if (node.empty() && !topLevel) {
    if (node.data() == kJsonEmptyObject) {
      out += "{}";
    } else if (node.data() == kJsonEmptyArray) {
      out += "[]";
    } else {
      out += '"';
      AppendEscaped(out, node.data());
      out += '"';
    }
    return;
  }
  const bool array = IsArray(node);
  out += array ? '[' : '{';
  stack.push_back(Frame{&node, node.begin(), array});
}

std::string Render(const ptree& tree) {
  std::string out;
  std::vector<Frame> stack;
  AppendValue(out, tree, stack, true);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next == frame.node->end()) {
      out += frame.array ? ']' : '}';
      stack.pop_back();
      continue;
    }
    const auto& child = *frame.next;
    if (frame.next != frame.node->begin()) out += ',';
    ++frame.next;
    if (!frame.array) {
      out += '"';
      AppendEscaped(out, child.first);
      out += "\":";
    }
    // May push a frame and so invalidate `frame`; nothing below touches it.
    AppendValue(out, child.second, stack, false);
  }
  out += '\n';
  return out;
}

}  // namespace

void WriteJson(std::ostream& stream, const ptree& tree) {
  if (!IsRepresentable(tree)) throw JsonFormException(kCannotRepresent);
  const std::string text = Render(tree);
  stream.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!stream.good()) throw JsonFormException(kWriteError);
}

std::string ToJson(const ptree& tree) {
  if (!IsRepresentable(tree)) throw JsonFormException(kCannotRepresent);
  return Render(tree);
}

std::string DoubleToText(double value) {
  std::ostringstream stream;
  stream.imbue(std::locale::classic());
  stream.precision(16);
  stream << value;
  return stream.str();
}

}  // namespace kiv
