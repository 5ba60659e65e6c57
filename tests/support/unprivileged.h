#pragma once
// Running part of a test without root rights, so that a file or folder without read or
// write permission is one for it also when the suite runs as root.
#include <functional>

namespace qbc::test {

// Runs `body` in a child process that holds no root rights (as nobody when the tests run
// as root). Returns the body's result, or -1 when the child did not end normally. The body
// reports back through its result or through files that nobody may write.
int RunUnprivileged(const std::function<int()>& body);

}  // namespace qbc::test
