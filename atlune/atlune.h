// atlune: the effective linear attenuation coefficient (cm-1) of a material for
// the current spectrum as a detector sees it.
#pragma once

namespace zelpra {

// The main routine of atlune (atlune.cpp); atlune_main.cpp runs it as the
// program (run_tool), and the fuzz targets run it in-process.
void EFF_ATTEN();

}  // namespace zelpra
