// belmor: integrates the current spectrum over its bins and prints the total.
#pragma once

namespace zelpra {

// The main routine of belmor (belmor.cpp); belmor_main.cpp runs it as the
// program (run_tool), and the fuzz targets run it in-process.
void INTEGRATE();

}  // namespace zelpra
