#pragma once
// Runs a piece of a test in a child process: for code that may block for
// good (a test must fail, not hang) and for checks of file modes, which bind
// only an unprivileged user.

#include <functional>

namespace dm::test {

// Runs body in a forked child and returns its result (0..255), or -1 when
// the child did not finish within timeoutSeconds (it is killed then) or died
// otherwise. With unprivileged, a child of root first becomes the user
// "nobody" (65534), so that a file of mode 000 is unreadable to it.
int RunInChild(const std::function<int()>& body, bool unprivileged = false,
               unsigned timeoutSeconds = 10);

} // namespace dm::test
