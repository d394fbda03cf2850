#include "fault_run.h"

#include <unistd.h>

namespace zelpra::test {

Faults as_plain_user() {
  Faults faults;
  if (geteuid() == 0) {
    faults.uid = 65534;
    faults.gid = 65534;
  }
  return faults;
}

PlainUser plain_user() {
  PlainUser user;
  user.faults = as_plain_user();
  if (!user.faults.uid) {
    user.available = true;  // permissions already hold for this user
    return user;
  }
  // The program must be reachable and executable for that user.
  RunOptions options;
  options.faults = user.faults;
  if (run_tool("belmor", "/", options).status == kCouldNotStart) {
    user.why_not = "cannot run the programs as uid 65534 (the build directory is not open to it)";
    return user;
  }
  user.available = true;
  return user;
}

}  // namespace zelpra::test
