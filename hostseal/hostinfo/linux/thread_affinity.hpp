// ThreadAffinity: moves the calling thread onto one processor at a time and puts it back on the
// processors it was allowed before, when it goes out of scope.
#pragma once

#include <vector>

namespace hostseal::cpu_topology {

class ThreadAffinity {
 public:
  ThreadAffinity();   // remembers the calling thread's processors
  ~ThreadAffinity();  // restores them
  ThreadAffinity(const ThreadAffinity&) = delete;
  ThreadAffinity& operator=(const ThreadAffinity&) = delete;

  // Runs the calling thread on this processor only. False when it may not run there, or when
  // the processors it had could not be read (then it is never moved).
  bool PinTo(int cpu);

 private:
  using Word = unsigned long;  // the word of the kernel's processor mask
  bool Apply(const std::vector<Word>& mask);

  std::vector<Word> m_Saved;  // empty when it could not be read
  bool m_Moved = false;
};

}  // namespace hostseal::cpu_topology
