/* A C program of the shared library's users: prints the library's version through the C
 * interface, built through the pkg-config file hostseal-c.pc. */
#include <hostseal/hostseal.h>
#include <stdio.h>

int main(void) {
  char version[32];
  size_t size = sizeof version;
  if (hostseal_version(version, &size) != HOSTSEAL_OK) {
    return 1;
  }
  puts(version);
  return 0;
}
