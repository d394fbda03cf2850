#include "spectrum_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string>

#include "text/fixed_format.h"
#include "text/list_output.h"
#include "text/run_end.h"

namespace zelpra {

namespace {

// Records 3 and 4: the unit-flag line and the caption that goes with it.
// Each flag is compared with 1 only.
std::string unit_flag_lines(const UnitFlags& iu) {
  const bool photons = iu[0] == 1;
  const bool per_sr = iu[1] == 1;
  if (photons && per_sr) {
    return "#    1   1  (unit flags)\n"
           "#  Energy       #/mAs-sr-keV\n";
  }
  if (photons) {
    return "#    1   2  (unit flags)\n"
           "#  Energy      #/mAs-cm^2-keV\n";
  }
  if (per_sr) {
    return "#    2   1  (unit flags)\n"
           "#  Energy     ergs/mAs-sr-keV\n";
  }
  return "#    2   2  (unit flags)\n"
         "#  Energy    ergs/mAs-cm^2-keV\n";
}

// The whole file for `s` and `iu`.  False when any field does not fit its
// column form (it would be written as asterisks and not read back), or when
// a count lies beyond the capacity of the block.
bool spectrum_text(const Spectrum& s, const UnitFlags& iu, std::string& text) {
  bool fits = s.nbin <= kMaxBins && s.nhist <= kMaxHistory;
  auto add = [&](const FixedRecord& record) {
    fits = fits && record.fits();
    text += record.line();
  };

  text.clear();
  add(FixedRecord().lit("# kaltrovin: ").I(s.ihd1, 2).X(2).F(s.hd1, 6, 3).X(2).I(s.ihd2, 1)
          .X(2).F(s.hd2, 6, 2));
  add(FixedRecord().lit("# ").X(2).I(s.nbin, 3).X(2).F(s.de, 7, 4).X(2).F(s.dist, 10, 4));
  text += unit_flag_lines(iu);
  if (!fits) return false;  // also keeps the loops below inside the block
  for (int i = 0; i < s.nbin; ++i) {
    add(FixedRecord().X(2).F(s.ebin[i], 7, 3).X(5).PE(s.phi[i], 13, 4));
  }
  text += "#  Attenuation History:\n";
  add(FixedRecord().lit("# ").I(s.nhist, 2));
  for (int i = 0; i < s.nhist; ++i) {
    // A name is a 20-character text, left-aligned and padded with blanks.
    std::string name = s.hname[i];
    name.resize(kHistoryNameLength, ' ');
    add(FixedRecord().lit("# ").A(name, kHistoryNameLength).PE(s.hval[i], 13, 4));
  }
  return fits;
}

bool permission_error(int err) { return err == EACCES || err == EPERM || err == EROFS; }

// Writes all of `text` to `fd`, short writes included; false on any failure.
bool write_all(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

void WRITE_SPECTRUM(const UnitFlags& iu) {
  const std::string name = kSpectrumFileName;

  std::string text;
  if (!spectrum_text(SPECTRUM, iu, text)) {
    refuse_aborting("ERROR: value does not fit its field in spectra.tmp");
  }

  // An existing file keeps its permission bits across the replacement.
  struct stat old_stat {};
  const bool exists = ::stat(name.c_str(), &old_stat) == 0;
  if (exists && ::access(name.c_str(), W_OK) != 0) fatal_io(kPermissionDenied, kUnitData, name);

  const std::string temp = name + "." + std::to_string(static_cast<long>(::getpid())) + ".new";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    fatal_io(permission_error(errno) ? kPermissionDenied : kOpenFailure, kUnitData, name);
  }

  bool ok = write_all(fd, text);
  if (ok && exists) ok = ::fchmod(fd, old_stat.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(temp.c_str(), name.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    fatal_io(kWriteError, kUnitData, name);
  }
}

}  // namespace zelpra
