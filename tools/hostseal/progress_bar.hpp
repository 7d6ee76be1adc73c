// ProgressBar: one line on standard error (a terminal: see IsTerminal) that shows how far a file
// operation has come, redrawn in place with a carriage return, ended with a line feed when the bar
// goes away.
#pragma once

#include <cstdint>
#include <string>

namespace hostseal::cli {

class ProgressBar {
 public:
  explicit ProgressBar(std::string label);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Draws done of total bytes; redraws only when the shown percentage changes.
  void Update(std::uint64_t done, std::uint64_t total);

  // Draws the bar full, once the operation has succeeded.
  void Complete();

  // Ends the drawn line, so that a message can follow on a line of its own; the next Update
  // draws a fresh line.
  void BreakLine();

 private:
  std::string m_Label;
  std::uint64_t m_Total = 0;
  int m_ShownPercent = -1;
  bool m_LineOpen = false;
};

// The bar is worth showing for files above this size, and only on a terminal.
inline constexpr std::uint64_t kProgressThreshold = 8u << 20;

}  // namespace hostseal::cli
