#pragma once
// Looking at processes a test started indirectly (an assembler under a build).
#include <sys/types.h>

namespace qbc::test {

// Whether the process runs. One that has ended and waits to be reaped (a zombie) does not:
// its files are closed, it holds no lock and writes nothing more.
bool ProcessRuns(pid_t pid);

// How many children of this process have ended and wait to be reaped (zombies).
int UnreapedChildren();

}  // namespace qbc::test
