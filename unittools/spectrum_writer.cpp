#include "spectrum_writer.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string>

#include "text/fixed_format.h"
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
// column form (it would be written as asterisks and not read back), when a
// non-zero value would show as zero (it would read back as 0), or when a
// count lies beyond the capacity of the block.
bool spectrum_text(const Spectrum& s, const UnitFlags& iu, std::string& text) {
  bool fits = s.nbin <= kMaxBins && s.nhist <= kMaxHistory;
  auto add = [&](const FixedRecord& record) {
    fits = fits && record.fits() && record.shows_every_nonzero();
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

// Links followed from spectra.tmp before it counts as a loop.
constexpr int kMaxLinks = 40;

// The path of the file that `name` stands for: `name` itself, or where it is
// a symbolic link (or a chain of them), the file the last link names.  A
// relative link is taken from the directory the link is in.  False for a
// loop of links or a link that cannot be read.
bool follow_links(const std::string& name, std::string& path) {
  path = name;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf) return false;
    const std::string link(buf, static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    if (link[0] == '/' || slash == std::string::npos) {
      path = link;
    } else {
      path = path.substr(0, slash + 1) + link;
    }
  }
  return false;
}

// The directory that holds `path`.
std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// While it lives, a write past the file-size limit fails with EFBIG instead
// of ending the process by SIGXFSZ, whose default action ends it: the signal
// is ignored, so it is discarded rather than left pending.  The caller's
// disposition comes back afterwards.
class FileSizeSignalIgnored {
 public:
  FileSizeSignalIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    saved_ = ::sigaction(SIGXFSZ, &ignore, &old_) == 0;
  }
  ~FileSizeSignalIgnored() {
    if (saved_) ::sigaction(SIGXFSZ, &old_, nullptr);
  }
  FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
  FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

 private:
  struct sigaction old_ {};
  bool saved_ = false;
};

// The old file's owner and group, then its permission bits (a change of
// owner may clear the set-user-ID and set-group-ID bits), given to the new
// file `fd`.  Best effort: a plain user may not give a file away, and a file
// system may refuse either; the new file then stays as created.
void keep_owner_and_mode(int fd, const struct stat& old) {
  struct stat now {};
  if (::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid)) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      // kept as created
    }
  }
  if (::fchmod(fd, old.st_mode & 07777) != 0) {
    // kept as created
  }
}

// Syncs `dir`, so that the rename in it lasts.  False only when the sync
// itself fails; a directory that does not open for reading, or a file system
// that does not sync directories, is passed over.
bool sync_directory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP;
  ::close(fd);
  return ok;
}

}  // namespace

SpectrumLock::SpectrumLock() {
  for (;;) {
    // Not blocking on the open: a named pipe there must not stop the run.
    const int fd = ::open(kSpectrumFileName, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat locked {};
    int result = -1;
    if (::fstat(fd, &locked) == 0 && S_ISREG(locked.st_mode)) {
      while ((result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
      }
    }
    if (result != 0) {
      ::close(fd);
      return;
    }
    struct stat now {};
    if (::stat(kSpectrumFileName, &now) == 0 && now.st_dev == locked.st_dev &&
        now.st_ino == locked.st_ino) {
      fd_ = fd;
      dev_ = locked.st_dev;
      ino_ = locked.st_ino;
      return;
    }
    ::close(fd);  // replaced while this run waited
  }
}

SpectrumLock::~SpectrumLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool SpectrumLock::holds(dev_t dev, ino_t ino) const {
  return fd_ >= 0 && dev == dev_ && ino == ino_;
}

void WRITE_SPECTRUM(const UnitFlags& iu, const SpectrumLock* lock) {
  const std::string name = kSpectrumFileName;

  std::string text;
  if (!spectrum_text(SPECTRUM, iu, text)) {
    refuse_aborting("ERROR: value does not fit its field in spectra.tmp");
  }

  std::string target;
  if (!follow_links(name, target)) fatal_io(kOpenFailure, kUnitData, name);
  struct stat old_stat {};
  const bool exists = ::stat(target.c_str(), &old_stat) == 0;
  if (exists && ::access(target.c_str(), W_OK) != 0) fatal_io(kPermissionDenied, kUnitData, name);

  const bool locked = exists && lock != nullptr && lock->holds(old_stat.st_dev, old_stat.st_ino);
  const std::string own_name = target + "." + std::to_string(static_cast<long>(::getpid())) + ".new";
  std::string temp = locked ? target + ".new" : own_name;

  const FileSizeSignalIgnored no_signal;
  // Whatever stands at the name (left by a killed run, or put there by anyone)
  // is removed, never written through.  What cannot be removed, such as a
  // directory, is passed by for the name of this process.
  auto create = [](const std::string& path) {
    ::unlink(path.c_str());
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  };
  int fd = create(temp);
  if (fd < 0 && errno == EEXIST && temp != own_name) {
    temp = own_name;
    fd = create(temp);
  }
  if (fd < 0) {
    fatal_io(permission_error(errno) ? kPermissionDenied : kOpenFailure, kUnitData, name);
  }

  bool ok = write_all(fd, text);
  if (ok && exists) keep_owner_and_mode(fd, old_stat);
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    fatal_io(kWriteError, kUnitData, name);
  }
  if (!sync_directory(directory_of(target))) fatal_io(kWriteError, kUnitData, name);
}

}  // namespace zelpra
