// The plain user that permission tests run the programs as.
#pragma once

#include <string>

#include "harness.h"

namespace zelpra::test {

// The faults that make a run a plain user's: when running as the superuser,
// the unprivileged "nobody" (user and group 65534); otherwise none, since
// permissions already hold for the current user.
Faults as_plain_user();

// Whether the programs can be run as that user at all.
struct PlainUser {
  bool available = false;
  std::string why_not;  // when not available
  Faults faults;        // as_plain_user()
};
PlainUser plain_user();

}  // namespace zelpra::test
