// The spectrum report block: the generation header and the attenuation
// history of SPECTRUM as comment lines on standard output.
#pragma once

namespace zelpra {

void REPORT_SPECTRUM();

}  // namespace zelpra
