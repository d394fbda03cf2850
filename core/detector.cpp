// Detector files: a detector's response as a table over energy.
//
// Free-form records: 1 the title; 2 a code, the first and last energy and
// the step (keV); 3 ignored; then one record per table point, energy,
// response and a third value.  The number of points follows from the range
// and the step.
#include "detector.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "data_dir.h"
#include "text/line_source.h"
#include "text/list_input.h"
#include "text/list_output.h"
#include "text/run_end.h"

namespace zelpra {

Detector DETECTOR;

namespace {

constexpr std::size_t kTitleLength = 40;
constexpr std::size_t kCodeLength = 6;

// The number of table points: the integer part of (demax - demin)/dstep + 1,
// formed in double precision and truncated toward zero.  A range that gives
// no usable count is refused.
int32_t table_size(float demin, float demax, float dstep) {
  if (dstep == 0.0f) refuse(ListLine().text("ERROR: detector energy step is 0").str());
  const double count =
      std::trunc((static_cast<double>(demax) - demin) / dstep + 1.0);
  if (!std::isfinite(count) || count < std::numeric_limits<int32_t>::min() ||
      count > std::numeric_limits<int32_t>::max()) {
    refuse(ListLine().text("ERROR: detector table size out of range").str());
  }
  const auto n = static_cast<int32_t>(count);
  if (n > kMaxDetectorPoints) refuse(ListLine().text("ERROR: ndet.gt.300").str());
  return n;
}

// The records of an open detector file into DETECTOR.
void read_detector_file(LineSource& source) {
  Detector& d = DETECTOR;
  d = Detector{};
  d.dtitle.assign(kTitleLength, ' ');
  d.dcode.assign(kCodeLength, ' ');
  list_read(source, {ListItem::text(d.dtitle, kTitleLength)});
  list_read(source, {ListItem::text(d.dcode, kCodeLength), ListItem::real(d.demin),
                     ListItem::real(d.demax), ListItem::real(d.dstep)});
  list_read(source, std::vector<ListItem>{});  // record 3: a caption line

  d.ndet = table_size(d.demin, d.demax, d.dstep);
  for (int32_t i = 0; i < d.ndet; ++i) {
    list_read(source, {ListItem::real(d.edet[i]), ListItem::real(d.rdet[i]),
                       ListItem::real(d.xdet[i])});
  }
}

}  // namespace

// READ_DETECTOR: the detector name from standard input, then its file from
// <datadir>/_detectors into DETECTOR.
void READ_DETECTOR(const std::string& datadir, std::string& detname) {
  read_named_data_file(datadir, "_detectors", "ERROR: could not find detector file ", detname,
                       read_detector_file);
}

}  // namespace zelpra
