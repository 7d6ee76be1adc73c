// ProgressBar: one line on standard error (a terminal: see IsTerminal) that shows how far a file
// operation has come, how fast it goes and how long it has left, redrawn in place with a carriage
// return, ended with a line feed when the bar goes away.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace hostseal::cli {

class ProgressBar {
 public:
  explicit ProgressBar(std::string label);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Draws done of total bytes; redraws only when the shown percentage or the second changes.
  void Update(std::uint64_t done, std::uint64_t total);

  // Draws the bar full, once the operation has succeeded.
  void Complete();

  // Ends the drawn line, so that a message can follow on a line of its own; the next Update
  // draws a fresh line.
  void BreakLine();

 private:
  using Clock = std::chrono::steady_clock;

  std::string m_Label;
  std::uint64_t m_Total = 0;
  std::optional<Clock::time_point> m_Start;  // the first Update
  std::string m_Shown;                       // the line as last drawn, without its "\r"
  int m_ShownPercent = -1;
  long m_ShownSecond = -1;
  bool m_LineOpen = false;
};

// What follows the bar: the percentage, and once a second has passed the rate and the time
// left, as in "42%  180 MB/s, 0:07 left".
std::string ProgressFigures(std::uint64_t done, std::uint64_t total, double seconds);

// The bar is worth showing for files above this size, and only on a terminal.
inline constexpr std::uint64_t kProgressThreshold = 8u << 20;

}  // namespace hostseal::cli
