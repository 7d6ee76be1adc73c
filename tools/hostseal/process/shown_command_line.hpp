// HideWipedArguments: keeps the keys and pass phrases taken from the command line out of the
// command line that other processes are shown.
//
// SecretArguments wipes each value in the argv it was given. On Linux that argv is the memory
// that /proc/PID/cmdline reads, where the wiped bytes would still show each value's length, so
// the whole area is rewritten without the values. On Windows the tool's argv is its own
// UTF-8 copy; other processes (Task Manager, WMI's Win32_Process.CommandLine, Process
// Explorer) read the process's command-line buffer, the one GetCommandLineW returns, and there
// each argument whose value was wiped is overwritten with '*', as are the C runtime's own
// copies. What stays visible is said in the platform files.
#pragma once

namespace hostseal::cli {

// argv as SecretArguments left it: a value wiped is a run of zero bytes at its end.
void HideWipedArguments(int argc, char** argv);

}  // namespace hostseal::cli
