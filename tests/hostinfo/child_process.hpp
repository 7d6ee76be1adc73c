// Test support: runs a piece of work in a forked child (which may change its namespaces freely)
// and hands its text results back to the test through a pipe.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hostseal::test {

// The lines the work returned, or std::nullopt when the child did not finish cleanly. The work
// must not contain newlines in its results; a result starting with "!" marks a set-up failure.
std::optional<std::vector<std::string>> RunInChild(
    const std::function<std::vector<std::string>()>& work);

// Runs a command (argv form, no shell) and returns its standard output, or std::nullopt when it
// cannot be started or exits with a non-zero status.
std::optional<std::string> RunCommand(const std::vector<std::string>& arguments);

bool IsRoot();

}  // namespace hostseal::test
