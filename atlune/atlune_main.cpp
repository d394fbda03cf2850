// The atlune program: its main routine run as a tool, which prints how the run
// ended and returns its exit status.
#include "atlune.h"
#include "text/run_end.h"

int main() { return zelpra::run_tool("atlune", zelpra::EFF_ATTEN); }
