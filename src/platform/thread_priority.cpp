#include "platform/thread_priority.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace sonvarek {

int SetCurrentThreadNice(int nice) {
  auto thread = static_cast<id_t>(syscall(SYS_gettid));
  if (setpriority(PRIO_PROCESS, thread, nice) == 0) return nice;
  setpriority(PRIO_PROCESS, thread, 0);
  errno = 0;
  int now = getpriority(PRIO_PROCESS, thread);
  return errno == 0 ? now : 0;
}

}  // namespace sonvarek
