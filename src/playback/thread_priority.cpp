#include "playback/thread_priority.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace vantorelle {

void LowerThreadPriority() {
#if defined(__linux__)
  const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
  errno = 0;
  const int current = ::getpriority(PRIO_PROCESS, thread);
  if (errno == 0) ::setpriority(PRIO_PROCESS, thread, current + 1);
#endif
}

}  // namespace vantorelle
