// Test support: network namespaces and veth pairs that a test creates and always removes, so
// that every packet of a test stays between namespaces of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace hostseal::test {

// A named network namespace (ip netns add); deleted, with every link in it, on destruction.
class NetworkNamespace {
 public:
  explicit NetworkNamespace(std::string name);
  ~NetworkNamespace();
  NetworkNamespace(const NetworkNamespace&) = delete;
  NetworkNamespace& operator=(const NetworkNamespace&) = delete;

  const std::string& Name() const { return m_Name; }
  bool Created() const { return m_Created; }

  // Runs "ip -n NAME ARGS..."; its standard output, or std::nullopt when it fails.
  std::optional<std::string> Ip(const std::vector<std::string>& arguments) const;

  // Moves the calling process into the namespace (for a forked child). False when it cannot.
  bool Enter() const;

 private:
  std::string m_Name;
  bool m_Created = false;
};

// A name no other run of the tests uses at the same time: prefix, process id and a counter.
std::string UniqueName(const std::string& prefix);

}  // namespace hostseal::test
