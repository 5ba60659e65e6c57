#pragma once
// What ties the processes of a build together: each program a build starts ends when the
// process that started it ends (a build killed by its process id leaves no assembler
// running on), and a descriptor handed down (the installation lock) stays held while any
// of them lives.
#include <sys/types.h>

namespace qbc {

// In a child just forked from `parent`: the child is killed when `parent` ends, and ends
// at once when `parent` has ended already.
void EndWithParent(pid_t parent);

// Keeps `fd` open in the programs this process starts from now on.
void HandDown(int fd);

}  // namespace qbc
