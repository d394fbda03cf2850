#include "data_dir.h"

#include <cstdlib>

#include "text/list_output.h"
#include "text/run_end.h"

namespace zelpra {

namespace {

std::string_view trim_trailing_blanks(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

}  // namespace

std::string GET_DATA_DIR() {
  const char* value = std::getenv("ZELPRA_DIR");
  std::string datadir = value ? value : "";
  // Only the blank character counts as blank; a tab is a character of the name.
  if (datadir.find_first_not_of(' ') == std::string::npos) {
    refuse(list_text_line("ERROR: ZELPRA_DIR env. var. not found"));
  }
  return datadir;
}

std::string data_path(std::string_view datadir, std::string_view subdir, std::string_view name) {
  std::string path(trim_trailing_blanks(datadir));
  path += '/';
  path += subdir;
  path += '/';
  path += trim_trailing_blanks(name);
  return path;
}

}  // namespace zelpra
