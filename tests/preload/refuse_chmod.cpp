// Preloaded into a program under test (LD_PRELOAD), this library refuses
// every fchmod and fchown as a file system that keeps no Unix permissions
// or owners would.  The system headers are left out on purpose: their
// declarations of these functions carry attributes that a replacement may
// not repeat in C++.
#include <sys/types.h>

#include <cerrno>

extern "C" int fchmod(int, mode_t) {
  errno = EPERM;
  return -1;
}

extern "C" int fchown(int, uid_t, gid_t) {
  errno = EPERM;
  return -1;
}
