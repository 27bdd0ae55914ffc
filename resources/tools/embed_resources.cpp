// Build tool: compiles a build profile (string table and named values) and its message
// catalogs into a C++ source that defines ProgramBuildProfile().
//   embed_resources <out.cpp> <profile name> <profile.txt> [<id>=<catalog.mo> ...]
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace {

// A C++ string literal for arbitrary bytes; octal escapes are never greedy.
std::string Literal(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03o", c);
      out += escape;
    }
  }
  return out + "\"";
}

bool ReadFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *bytes = buffer.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: embed_resources <out.cpp> <profile name> <profile.txt> [id=file.mo...]\n";
    return 2;
  }
  std::ifstream profile(argv[3]);
  if (!profile) {
    std::cerr << "embed_resources: cannot read " << argv[3] << "\n";
    return 1;
  }
  std::map<int, std::string> strings;
  std::map<std::string, std::string> values;
  std::string line;
  int lineNumber = 0;
  while (std::getline(profile, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0) {
      std::cerr << argv[3] << ":" << lineNumber << ": expected ID=value\n";
      return 1;
    }
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key.find_first_not_of("0123456789") == std::string::npos) {
      strings[std::stoi(key)] = value;
    } else {
      values[key] = value;
    }
  }

  std::ostringstream out;
  out << "// Generated from " << argv[3] << " by embed_resources; do not edit.\n"
      << "#include \"kiv/updater/build_profile.h\"\n\nnamespace {\n";
  std::map<int, size_t> catalogSizes;
  for (int i = 4; i < argc; ++i) {
    const std::string argument = argv[i];
    const size_t equals = argument.find('=');
    std::string bytes;
    if (equals == std::string::npos || !ReadFile(argument.substr(equals + 1), &bytes)) {
      std::cerr << "embed_resources: cannot read catalog " << argument << "\n";
      return 1;
    }
    const int id = std::stoi(argument.substr(0, equals));
    out << "const unsigned char kCatalog" << id << "[] = {";
    for (size_t j = 0; j < bytes.size(); ++j) {
      out << (j % 16 == 0 ? "\n  " : " ") << static_cast<unsigned>(static_cast<unsigned char>(bytes[j]))
          << ",";
    }
    out << "\n};\n";
    catalogSizes[id] = bytes.size();
  }
  out << "}  // namespace\n\nnamespace kiv::updater {\n\n"
      << "const BuildProfile& ProgramBuildProfile() {\n"
      << "  static const BuildProfile profile{\n    " << Literal(argv[2]) << ",\n    {\n";
  for (const auto& [id, value] : strings) out << "      {" << id << ", " << Literal(value) << "},\n";
  out << "    },\n    {\n";
  for (const auto& [key, value] : values) {
    out << "      {" << Literal(key) << ", " << Literal(value) << "},\n";
  }
  out << "    },\n    {\n";
  for (const auto& [id, size] : catalogSizes) {
    out << "      {" << id << ", std::string_view(reinterpret_cast<const char*>(kCatalog" << id
        << "), " << size << ")},\n";
  }
  out << "    },\n  };\n  return profile;\n}\n\n}  // namespace kiv::updater\n";

  // Write only on change so that dependants do not rebuild needlessly.
  std::string previous;
  if (ReadFile(argv[1], &previous) && previous == out.str()) return 0;
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << out.str();
  return file ? 0 : 1;
}
