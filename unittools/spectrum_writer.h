// The spectrum writer: SPECTRUM and the unit flags back to spectra.tmp, and
// the lock under which a converting tool reads and rewrites it.
#pragma once

#include <sys/types.h>

#include "spectrum_file.h"

namespace zelpra {

// An advisory lock (flock) on spectra.tmp, or on the file it names where it
// is a symbolic link, held for the lifetime of the object.  A converting tool
// takes it before it reads the spectrum and keeps it until the rewrite is
// done, so that two converters on one file run one after the other and the
// second reads what the first wrote; the constructor waits for it.  Readers
// take none: the rewrite replaces the file by one rename, so they see the old
// spectrum or the new one whole.
//
// The lock is on the file itself, and a rewrite puts another file in its
// place: after the wait the lock is taken again on whatever stands at the
// name then, until the locked file is the one there.  Where there is nothing
// to lock (no spectra.tmp, or not a regular file: the reader then says what
// is wrong) or the file system offers no lock, the run goes on without it.
class SpectrumLock {
 public:
  SpectrumLock();
  ~SpectrumLock();
  SpectrumLock(const SpectrumLock&) = delete;
  SpectrumLock& operator=(const SpectrumLock&) = delete;

  // Whether the lock is held on the file with this device and inode number.
  bool holds(dev_t dev, ino_t ino) const;

 private:
  int fd_ = -1;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
};

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
// - the file replaced is spectra.tmp, or, where spectra.tmp is a symbolic
//   link, the file it names: the link stays.  An existing file that may not
//   be written is the fatal error 9 before anything is created;
// - the whole content goes to a new temporary file beside it, which is then
//   renamed over it.  The temporary name is the file's name with ".new"
//   added while `lock` is held on that file, so that a run killed part way
//   leaves one such file, which the next rewrite removes; without the lock
//   it is the name with ".<process id>.new", which no other run uses.
//   Whatever stands at the temporary name (a stale file, a named pipe, a
//   link) is removed, never written through, and the file is created
//   exclusively.  Creating it: 9 when permission is denied, 30 for any other
//   failure; writing (also past the file-size limit, which then does not
//   end the process by its signal), syncing, closing or renaming it: 38, and
//   the temporary file is removed.  The old file stays intact in every one
//   of these cases.  After the rename the directory is synced (38 when that
//   fails);
// - the new file keeps the old one's permission bits and, where the process
//   may give it away (the superuser), its owner and group.  Both are best
//   effort: a refusal leaves the new file as created.  Other hard links to
//   the old file keep the old content.
void WRITE_SPECTRUM(const UnitFlags& iu, const SpectrumLock* lock = nullptr);

}  // namespace zelpra
