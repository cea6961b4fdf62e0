// Dropping capabilities for one thread with the raw system calls: the C
// library has no wrapper, and libcap would be a dependency for two calls.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

#include "kit/unprivileged.h"

namespace zv::testkit {
namespace {

bool DropEffectiveCapabilities() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};  // pid 0: this thread
  __user_cap_data_struct sets[_LINUX_CAPABILITY_U32S_3]{};
  if (syscall(SYS_capget, &header, sets) != 0) return false;
  for (auto& set : sets) set.effective = 0;
  return syscall(SYS_capset, &header, sets) == 0;
}

}  // namespace

bool RunUnprivileged(const std::function<void()>& body) {
  bool dropped = false;
  std::thread thread([&] {
    dropped = DropEffectiveCapabilities();
    if (dropped) body();
  });
  thread.join();
  return dropped;
}

}  // namespace zv::testkit
