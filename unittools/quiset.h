// quiset: converts the current spectrum from photon fluence to energy
// fluence and rewrites spectra.tmp.
#pragma once

namespace zelpra {

// The main routine of quiset (quiset.cpp); quiset_main.cpp runs it as the
// program (run_tool), and the fuzz targets run it in-process.
void TO_ENERGY();

}  // namespace zelpra
