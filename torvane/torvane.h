// torvane: the half-value layer of a material for the current spectrum.
#pragma once

namespace zelpra {

// The main routine of torvane (torvane.cpp); torvane_main.cpp runs it as the
// program (run_tool), and the fuzz targets run it in-process.
void TORVANE();

}  // namespace zelpra
