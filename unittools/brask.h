// brask: converts a spectrum given per cm2 into the same spectrum per
// steradian and rewrites spectra.tmp.
#pragma once

namespace zelpra {

// The main routine of brask (brask.cpp); brask_main.cpp runs it as the
// program (run_tool), and the fuzz targets run it in-process.
void TO_PER_SR();

}  // namespace zelpra
