#include "platform/process_setup.h"

namespace platform {

// Windows gives a console program no descriptor numbers to take over, no SIGPIPE and no core
// dumps of its own accord.
StandardStreams PrepareCommandLineProcess() { return {}; }

}  // namespace platform
