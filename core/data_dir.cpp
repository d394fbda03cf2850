#include "data_dir.h"

#include <cstdlib>
#include <utility>

#include "text/line_source.h"
#include "text/list_input.h"
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

void read_named_data_file(const std::string& datadir, std::string_view subdir,
                          std::string_view missing_text, std::string& name,
                          void (*read)(LineSource& source)) {
  name.resize(kNameLength, ' ');
  list_read(stdin_source(), {ListItem::text(name, kNameLength)});
  const std::string path = data_path(datadir, subdir, name);
  InputFile file;
  if (open_for_reading(path, file) != OpenStatus::kOk) {
    refuse(ListLine().text(missing_text).text(name).str());
  }
  LineSource source(std::move(file), kUnitData, path);
  read(source);
}

}  // namespace zelpra
