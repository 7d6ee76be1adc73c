// On Linux the standard streams carry bytes as they are and a terminal takes UTF-8 and colour
// sequences: nothing to set up.
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

struct ConsoleSession::State {};

ConsoleSession::ConsoleSession() = default;
ConsoleSession::~ConsoleSession() = default;

}  // namespace hostseal::cli
