// dosix: the exposure, in mR per mAs, that the current spectrum delivers at
// its distance.
#pragma once

namespace zelpra {

// The main routine of dosix (dosix.cpp); dosix_main.cpp runs it as the
// program (run_tool), and the fuzz targets run it in-process.
void EXPOSURE();

}  // namespace zelpra
