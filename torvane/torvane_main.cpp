// The torvane program: its main routine run as a tool, which prints how the run
// ended and returns its exit status.
#include "torvane.h"
#include "text/run_end.h"

int main() { return zelpra::run_tool("torvane", zelpra::TORVANE); }
