// The current spectrum, spectra.tmp: reading it into the spectrum block.
//
// The reader finds the records by counting, not by their text: it looks only
// at the numeric and name columns of the layout (see spectrum_file.h), so the
// literal text of the header, caption and title lines, and anything after the
// last history entry, may be anything.  Records shorter than the columns read
// are taken as padded with blanks; an all-blank numeric field reads as 0.

#include "spectrum_file.h"

#include <string_view>
#include <utility>

#include "text/fixed_format.h"
#include "text/list_input.h"
#include "text/list_output.h"
#include "text/run_end.h"

namespace zelpra {

Spectrum SPECTRUM;

void read_spectrum_records(LineSource& source, UnitFlags& iu) {
  Spectrum& s = SPECTRUM;

  // Record 1, the generation header: (13X,I2,2X,F6.3,2X,I1,2X,F6.2).
  std::string_view line = source.require_line();
  s.ihd1 = read_int_field(source, line, 14, 2);
  s.hd1 = read_real_field(source, line, 18, 6, 3);
  s.ihd2 = read_int_field(source, line, 26, 1);
  s.hd2 = read_real_field(source, line, 29, 6, 2);

  // Record 2, the bin header: (4X,I3,2X,F7.4,2X,F10.4).
  line = source.require_line();
  s.nbin = read_int_field(source, line, 5, 3);
  s.de = read_real_field(source, line, 10, 7, 4);
  s.dist = read_real_field(source, line, 19, 10, 4);
  if (s.nbin > kMaxBins) refuse(list_text_line("ERROR: spectra.tmp nbin.gt.300: Aborting."));

  // Record 3, the unit flags: (2X,2(2X,I2)).
  line = source.require_line();
  iu[0] = read_int_field(source, line, 5, 2);
  iu[1] = read_int_field(source, line, 9, 2);

  // Record 4, the caption, is passed over unread.
  list_read(source, {});

  // One record per bin: (2X,F7.3,5X,1P,E13.4).  The count is taken once;
  // zero or a negative count reads no bin record.
  const int32_t nbin = s.nbin;
  for (int32_t i = 0; i < nbin; ++i) {
    line = source.require_line();
    s.ebin[i] = read_real_field(source, line, 3, 7, 3);
    s.phi[i] = read_real_field(source, line, 15, 13, 4, /*scale_1p=*/true);
  }

  // The history title is passed over unread; then the count: (2X,I2).
  list_read(source, {});
  line = source.require_line();
  s.nhist = read_int_field(source, line, 3, 2);
  if (s.nhist > kMaxHistory) refuse(list_text_line("ERROR: spectra.tmp nhist.gt.20: Aborting."));

  // One record per history entry: (2X,A20,E13.4), with no scale factor.
  const int32_t nhist = s.nhist;
  for (int32_t i = 0; i < nhist; ++i) {
    line = source.require_line();
    s.hname[i] = column_field(line, 3, kHistoryNameLength);
    s.hval[i] = read_real_field(source, line, 23, 13, 4);
  }
}

void READ_SPECTRUM(UnitFlags& iu) {
  InputFile file;
  if (open_for_reading(kSpectrumFileName, file) != OpenStatus::kOk) {
    refuse(list_text_line("ERROR: spectra.tmp DOES NOT EXIST: Aborting."));
  }
  LineSource source(std::move(file), kUnitData, kSpectrumFileName);
  read_spectrum_records(source, iu);
}

}  // namespace zelpra
