// The spectrum writer: SPECTRUM and the unit flags back to spectra.tmp.
#pragma once

#include "spectrum_file.h"

namespace zelpra {

// Writes SPECTRUM and the flags `iu` to spectra.tmp in the working directory,
// in the layout that READ_SPECTRUM reads.  Each flag is compared with 1 only:
// any other value is written as 2.
//
// The spectrum is never left half written or unreadable:
// - every field is checked against its column form first; when one does not
//   fit (or a bin or history value is not finite, or a non-zero value would
//   show as zero and read back as 0), the run is refused
//   ("ERROR: value does not fit its field in spectra.tmp", "Aborting.",
//   status 8) and nothing is touched;
// - an existing spectra.tmp that may not be written is the fatal error 9
//   before anything is created;
// - the whole content goes to spectra.tmp.<pid>.new, which is then renamed
//   over spectra.tmp.  Creating it: 9 when permission is denied, 30 for any
//   other failure; writing, flushing, closing or renaming it: 38, and the
//   temporary file is removed.  The old spectra.tmp stays intact in every
//   one of these cases.
void WRITE_SPECTRUM(const UnitFlags& iu);

}  // namespace zelpra
