#include "tools/hostseal/progress_bar.hpp"

#include <utility>

#include "tools/hostseal/standard_handles.hpp"

namespace hostseal::cli {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

ProgressBar::ProgressBar(std::string label) : m_Label(std::move(label)) {}

ProgressBar::~ProgressBar() {
  BreakLine();
}

void ProgressBar::Update(std::uint64_t done, std::uint64_t total) {
  if (done > total) done = total;
  m_Total = total;
  const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
  if (percent == m_ShownPercent && m_LineOpen) return;
  m_ShownPercent = percent;
  const int filled = percent * kBarWidth / 100;
  std::string line = "\r" + m_Label + " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), ' ');
  line += "] " + std::to_string(percent) + "%";
  WriteStandardError(line);
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
