# Language and compiler settings shared by the main build and the fuzz build.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()

# The numerics are part of the output contract: no fused multiply-add may
# change a last bit, and no fast-math reordering is allowed.
set(ZELPRA_COMMON_FLAGS -Wall -Wextra -ffp-contract=off -fno-fast-math)
