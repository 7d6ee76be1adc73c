// Reads the known-answer files of tests/data (written by tests/data/make_vectors.py): text
// files of one case a line, fields separated by one space, blank lines and lines that begin
// with '#' skipped. Only the standard library, so that every platform's build reads them.
//
// A file that cannot be opened, or a line that does not have the expected form, throws
// KnownAnswerError naming the file and line; GoogleTest reports it as the test's failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hostseal/common/byte_array.hpp"

namespace hostseal::testing {

class KnownAnswerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One case: the fields of one line and where it came from.
struct KnownAnswerLine {
  std::string where;  // "file:line", for messages
  std::vector<std::string> fields;

  [[noreturn]] void Fail(std::string_view what) const {
    throw KnownAnswerError(where + ": " + std::string(what));
  }

  // Fails unless the line has exactly `count` fields and the first is `tag` (when given).
  void Require(std::size_t count, std::string_view tag = {}) const {
    if (fields.size() != count) {
      Fail("has " + std::to_string(fields.size()) + " fields, not " + std::to_string(count));
    }
    if (!tag.empty() && fields[0] != tag) Fail("expected a line \"" + std::string(tag) + " ...\"");
  }

  // "-" is empty; otherwise an even number of hex digits, either case.
  std::vector<Byte> Hex(std::size_t field) const {
    const std::string& text = fields.at(field);
    if (text == "-") return {};
    auto value = [&](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      Fail("field " + std::to_string(field + 1) + " is not hexadecimal: " + text);
    };
    if (text.size() % 2 != 0) Fail("field " + std::to_string(field + 1) + " has an odd length");
    std::vector<Byte> out(text.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
      out[i] = static_cast<Byte>(value(text[2 * i]) * 16 + value(text[2 * i + 1]));
    }
    return out;
  }

  // Hex with a required size in bytes.
  std::vector<Byte> Hex(std::size_t field, std::size_t size) const {
    std::vector<Byte> out = Hex(field);
    if (out.size() != size) {
      Fail("field " + std::to_string(field + 1) + " holds " + std::to_string(out.size()) +
           " bytes, not " + std::to_string(size));
    }
    return out;
  }

  std::int32_t Int(std::size_t field) const {
    const std::string& text = fields.at(field);
    std::size_t used = 0;
    long long value = 0;
    try {
      value = std::stoll(text, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used != text.size() || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
      Fail("field " + std::to_string(field + 1) + " is not a whole number: " + text);
    }
    return static_cast<std::int32_t>(value);
  }
};

// The cases of HOSTSEAL_TEST_DATA/<name>. Each line is split into at most `fields` fields at
// single spaces; the last field is the rest of the line, spaces included. An empty field is
// malformed, and so is a file without a single case.
inline std::vector<KnownAnswerLine> ReadKnownAnswers(const std::string& name, std::size_t fields) {
  const std::string path = std::string(HOSTSEAL_TEST_DATA) + "/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw KnownAnswerError(path + ": cannot open the known-answer file");
  std::vector<KnownAnswerLine> lines;
  std::string text;
  for (std::size_t number = 1; std::getline(in, text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();  // a checkout with CRLF endings
    if (text.empty() || text.front() == '#') continue;
    KnownAnswerLine line{path + ":" + std::to_string(number), {}};
    std::size_t start = 0;
    while (line.fields.size() + 1 < fields) {
      const std::size_t space = text.find(' ', start);
      if (space == std::string::npos) break;
      line.fields.push_back(text.substr(start, space - start));
      start = space + 1;
    }
    line.fields.push_back(text.substr(start));
    for (const std::string& field : line.fields) {
      if (field.empty()) line.Fail("empty field");
    }
    lines.push_back(std::move(line));
  }
  if (in.bad()) throw KnownAnswerError(path + ": read error");
  if (lines.empty()) throw KnownAnswerError(path + ": no cases");
  return lines;
}

}  // namespace hostseal::testing
