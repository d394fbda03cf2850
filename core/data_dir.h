// The data directory (ZELPRA_DIR) and the one rule by which every data-file
// path is formed.
#pragma once

#include <string>
#include <string_view>

namespace zelpra {

// The value of ZELPRA_DIR, used whole (an unset variable reads as blank).  A
// value of nothing but blanks is refused with the line
// " ERROR: ZELPRA_DIR env. var. not found" and exit status 8.
std::string GET_DATA_DIR();

// The path rule: the directory without its trailing blanks, the separator,
// the sub-directory ("_database", "_materials" or "_detectors"), the
// separator, the file name without its trailing blanks.  Leading blanks and
// doubled separators stay; nothing is normalised.
std::string data_path(std::string_view datadir, std::string_view subdir, std::string_view name);

}  // namespace zelpra
