#include "tools/hostseal/streams/progress_bar.hpp"

#include <cmath>
#include <cstdio>
#include <utility>

#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

namespace {

constexpr int kBarWidth = 30;
// Before this, a rate says more about starting up than about the operation.
constexpr double kFirstRateAfter = 1.0;

// 0:07, 12:34, 1:02:03.
std::string Duration(double seconds) {
  const auto whole = static_cast<unsigned long long>(std::ceil(seconds));
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", whole / 3600, whole / 60 % 60,
                  whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%llu:%02llu", whole / 60, whole % 60);
  }
  return text;
}

}  // namespace

std::string ProgressFigures(std::uint64_t done, std::uint64_t total, double seconds) {
  if (done > total) done = total;
  const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
  std::string text = std::to_string(percent) + "%";
  if (seconds < kFirstRateAfter || done == 0) return text;
  const double rate = static_cast<double>(done) / seconds;  // bytes a second
  char figure[32];
  std::snprintf(figure, sizeof figure, rate >= 100e6 ? "%.0f MB/s" : "%.1f MB/s", rate / 1e6);
  text += "  ";
  text += figure;
  if (done < total) text += ", " + Duration(static_cast<double>(total - done) / rate) + " left";
  return text;
}

ProgressBar::ProgressBar(std::string label) : m_Label(std::move(label)) {}

ProgressBar::~ProgressBar() {
  BreakLine();
}

void ProgressBar::Update(std::uint64_t done, std::uint64_t total) {
  if (done > total) done = total;
  m_Total = total;
  const Clock::time_point now = Clock::now();
  if (!m_Start) m_Start = now;
  const double seconds = std::chrono::duration<double>(now - *m_Start).count();
  const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
  const auto second = static_cast<long>(seconds);
  if (m_LineOpen && percent == m_ShownPercent && second == m_ShownSecond) return;
  m_ShownPercent = percent;
  m_ShownSecond = second;
  const int filled = percent * kBarWidth / 100;
  std::string line = m_Label + " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), ' ');
  line += "] " + ProgressFigures(done, total, seconds);
  // Blanks over what a longer line before it left on the terminal.
  std::string drawn = "\r" + line;
  if (m_LineOpen && m_Shown.size() > line.size()) drawn.append(m_Shown.size() - line.size(), ' ');
  WriteStandardError(drawn);
  m_Shown = std::move(line);
  m_LineOpen = true;
}

void ProgressBar::Complete() {
  Update(m_Total, m_Total);
}

void ProgressBar::BreakLine() {
  if (!m_LineOpen) return;
  WriteStandardError("\n");
  m_LineOpen = false;
}

}  // namespace hostseal::cli
