#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

#include "platform/process_setup.h"

namespace platform {

StandardStreams PrepareCommandLineProcess() {
  StandardStreams streams;
  for (int stream = 0; stream <= 2; ++stream) {
    if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) continue;
    if (stream == STDOUT_FILENO) streams.outputWasClosed = true;
    // open() gives the lowest free number, which is this one.
    const int opened = open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != stream) close(opened);
  }
  // None of these can fail with these arguments; there is nothing to do if one did.
  (void)signal(SIGPIPE, SIG_IGN);
  (void)prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  const rlimit noCore{0, 0};
  (void)setrlimit(RLIMIT_CORE, &noCore);
  return streams;
}

}  // namespace platform
