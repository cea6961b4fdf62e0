#pragma once

#include <thread>

namespace zv {

// Raises the thread's priority above normal. Returns false when the system
// refuses, which callers may ignore.
bool RaiseThreadPriority(std::thread& thread);

}  // namespace zv
