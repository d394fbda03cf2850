// fendo: moves a per-cm2 spectrum to a new distance, read from standard
// input, and rewrites spectra.tmp.
#pragma once

namespace zelpra {

// The main routine of fendo (fendo.cpp); fendo_main.cpp runs it as the
// program (run_tool), and the fuzz targets run it in-process.
void RESCALE_DISTANCE();

}  // namespace zelpra
