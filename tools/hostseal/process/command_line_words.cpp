#include "tools/hostseal/process/command_line_words.hpp"

namespace hostseal::cli {

namespace {

constexpr char16_t kMask = u'*';

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

// One past the program name, which follows its own rule: no escapes, one quoted stretch.
std::size_t ProgramNameEnd(std::u16string_view line) {
  if (!line.empty() && line[0] == u'"') {
    const std::size_t close = line.find(u'"', 1);
    return close == std::u16string_view::npos ? line.size() : close + 1;
  }
  std::size_t i = 0;
  while (i < line.size() && !IsBlank(line[i])) ++i;
  return i;
}

}  // namespace

std::vector<CommandLineWord> SplitCommandLine(std::u16string_view line) {
  std::vector<CommandLineWord> words;
  const std::size_t nameEnd = ProgramNameEnd(line);
  {
    CommandLineWord name;
    name.end = nameEnd;
    const bool quoted = nameEnd > 0 && line[0] == u'"';
    const std::size_t from = quoted ? 1 : 0;
    const std::size_t to =
        quoted && nameEnd >= 2 && line[nameEnd - 1] == u'"' ? nameEnd - 1 : nameEnd;
    name.text = std::u16string(line.substr(from, to - from));
    words.push_back(std::move(name));
  }
  std::size_t i = nameEnd;
  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    CommandLineWord word;
    word.begin = i;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == u'\\') {
        std::size_t run = 0;
        while (i < line.size() && line[i] == u'\\') {
          ++run;
          ++i;
        }
        if (i < line.size() && line[i] == u'"') {
          word.text.append(run / 2, u'\\');
          if (run % 2 == 1) {
            word.text += u'"';
            ++i;
          }
        } else {
          word.text.append(run, u'\\');
        }
        continue;
      }
      if (line[i] == u'"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
          word.text += u'"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      word.text += line[i];
      ++i;
    }
    word.end = i;
    words.push_back(std::move(word));
  }
  return words;
}

void MaskWord(std::span<char16_t> line, const CommandLineWord& word, std::u16string_view keep) {
  if (word.begin > word.end || word.end > line.size()) return;
  std::size_t from = word.begin;
  const std::u16string_view written(line.data() + word.begin, word.end - word.begin);
  if (written.substr(0, keep.size()) == keep) from += keep.size();
  for (std::size_t i = from; i < word.end; ++i) line[i] = kMask;
}

void MaskAfterProgramName(std::span<char16_t> line) {
  const std::u16string_view view(line.data(), line.size());
  for (std::size_t i = ProgramNameEnd(view); i < line.size(); ++i) {
    if (!IsBlank(line[i])) line[i] = kMask;
  }
}

}  // namespace hostseal::cli
