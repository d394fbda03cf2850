#include "fault_run.h"

#include <unistd.h>

namespace zelpra::test {

PlainUser plain_user() {
  PlainUser user;
  if (geteuid() != 0) {
    user.available = true;  // permissions already hold for this user
    return user;
  }
  user.uid = 65534;
  user.gid = 65534;
  // The program must be reachable and executable for that user.
  Faults as_user;
  as_user.uid = user.uid;
  as_user.gid = user.gid;
  const RunResult r = run_tool_with_faults("belmor", "/", {}, as_user);
  if (r.status == kCouldNotStart) {
    user.why_not = "cannot run the programs as uid 65534 (the build directory is not open to it)";
    return user;
  }
  user.available = true;
  return user;
}

}  // namespace zelpra::test
