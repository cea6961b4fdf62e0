#include <windows.h>

#include "support/thread_priority.h"

namespace zv {

bool RaiseCurrentThreadPriority() {
  return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL) !=
         0;
}

}  // namespace zv
