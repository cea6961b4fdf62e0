#pragma once

#include <functional>

namespace zv::testkit {

// Runs `body` on a thread of its own that holds no effective capability,
// and waits for it. Linux keeps capabilities per thread, so file and
// device permissions and the nice-value limit then bind `body` as they
// bind an ordinary user, even when the tests run as the superuser, while
// the rest of the process keeps its rights. False, with `body` not run,
// when the capabilities could not be dropped. Linux only.
bool RunUnprivileged(const std::function<void()>& body);

}  // namespace zv::testkit
