#include "hostseal/hostinfo/linux/thread_affinity.hpp"

#include <sched.h>

#include <cerrno>
#include <climits>

namespace hostseal::cpu_topology {
namespace {

constexpr std::size_t kBitsPerWord = sizeof(unsigned long) * CHAR_BIT;
// Masks grow until the kernel accepts them; this many processors is beyond any machine.
constexpr std::size_t kMostWords = (1U << 22) / kBitsPerWord;

}  // namespace

ThreadAffinity::ThreadAffinity() {
  for (std::size_t words = 1024 / kBitsPerWord; words <= kMostWords; words *= 2) {
    std::vector<Word> mask(words);
    if (::sched_getaffinity(0, mask.size() * sizeof(Word),
                            reinterpret_cast<cpu_set_t*>(mask.data())) == 0) {
      m_Saved = std::move(mask);
      return;
    }
    if (errno != EINVAL) return;
  }
}

ThreadAffinity::~ThreadAffinity() {
  if (m_Moved) Apply(m_Saved);
}

bool ThreadAffinity::Apply(const std::vector<Word>& mask) {
  return ::sched_setaffinity(0, mask.size() * sizeof(Word),
                             reinterpret_cast<const cpu_set_t*>(mask.data())) == 0;
}

bool ThreadAffinity::PinTo(int cpu) {
  if (m_Saved.empty() || cpu < 0) return false;
  const auto bit = static_cast<std::size_t>(cpu);
  if (bit / kBitsPerWord >= m_Saved.size()) return false;
  const Word flag = Word{1} << (bit % kBitsPerWord);
  if ((m_Saved[bit / kBitsPerWord] & flag) == 0) return false;  // not allowed to run there
  std::vector<Word> mask(m_Saved.size());
  mask[bit / kBitsPerWord] = flag;
  m_Moved = true;
  return Apply(mask);
}

}  // namespace hostseal::cpu_topology
