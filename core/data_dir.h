// The data directory (ZELPRA_DIR) and the one rule by which every data-file
// path is formed.
#pragma once

#include <string>
#include <string_view>

#include "text/line_source.h"

namespace zelpra {

// Length of the material and detector names read from standard input.
constexpr int kNameLength = 40;

// The value of ZELPRA_DIR, used whole (an unset variable reads as blank).  A
// value of nothing but blanks is refused with the line
// " ERROR: ZELPRA_DIR env. var. not found" and exit status 8.
std::string GET_DATA_DIR();

// The path rule: the directory without its trailing blanks, the separator,
// the sub-directory ("_database", "_materials" or "_detectors"), the
// separator, the file name without its trailing blanks.  Leading blanks and
// doubled separators stay; nothing is normalised.
std::string data_path(std::string_view datadir, std::string_view subdir, std::string_view name);

// Reads one name (kNameLength characters, blank-padded) from standard input
// into `name`, opens the file of that name in <datadir>/<subdir> and runs
// `read` on it: a source on unit 10 named by the path as opened, which its
// fatal input errors report (a line or value too long to hold in memory
// among them, as the read error 39).  A file that does not open is refused with the free-form line `missing_text`
// followed by the name at its full length.
void read_named_data_file(const std::string& datadir, std::string_view subdir,
                          std::string_view missing_text, std::string& name,
                          void (*read)(LineSource& source));

}  // namespace zelpra
