#include "database.h"

#include <array>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "cross_sections.h"
#include "data_dir.h"
#include "element_data.h"
#include "text/fixed_format.h"
#include "text/line_source.h"
#include "text/list_input.h"
#include "text/list_output.h"
#include "text/run_end.h"

namespace zelpra {

namespace {

constexpr int kE13Width = 13;
constexpr int kE13Decimals = 5;
// The message holds a backslash and the letter n, not a line end.
constexpr const char* kOpenMessage = "ERROR opening data file in input\\n";
constexpr std::size_t kPathColumns = 80;

// One database file, open for reading, named by its path as opened.
class DatabaseFile {
 public:
  DatabaseFile(const std::string& datadir, const char* name)
      : path_(data_path(datadir, "_database", name)) {
    InputFile file;
    if (open_for_reading(path_, file) != OpenStatus::kOk) {
      std::string shown = path_;
      if (shown.size() < kPathColumns) shown.resize(kPathColumns, ' ');
      refuse(ListLine().text(kOpenMessage).text(shown).str());
    }
    source_.emplace(std::move(file), kUnitDatabase, path_);
  }

  LineSource& source() { return *source_; }

  // The next record; valid until the one after it is read.
  std::string_view record() { return source_->require_line(); }
  float e13(std::string_view line, int first) {
    return read_real_field(*source_, line, first, kE13Width, kE13Decimals);
  }

 private:
  std::string path_;
  std::optional<LineSource> source_;
};

// (10X,E13.5), one value per record.
template <std::size_t N>
void read_column(const std::string& datadir, const char* name, std::array<float, N>& table) {
  DatabaseFile f(datadir, name);
  for (float& value : table) value = f.e13(f.record(), 11);
}

// (8X,4(2X,E13.5)), one row of four coefficients per record.
void read_fits(const std::string& datadir, const char* name,
               std::array<std::array<float, 4>, kElementRows>& table) {
  DatabaseFile f(datadir, name);
  for (auto& row : table) {
    const std::string_view line = f.record();
    for (int k = 0; k < 4; ++k) row[k] = f.e13(line, 11 + 15 * k);
  }
}

void read_names(const std::string& datadir) {
  DatabaseFile f(datadir, "names");
  for (std::string& name : ELEMENT_DATA.names) name = column_field(f.record(), 12, 16);
}

// (4(1X,E13.5)): the 45 values of a row on twelve records, the last holding one.
void read_inscat(const std::string& datadir) {
  DatabaseFile f(datadir, "inscat");
  for (auto& row : ELEMENT_DATA.inscat) {
    std::string_view line;
    for (int j = 0; j < kInscatValues; ++j) {
      if (j % 4 == 0) line = f.record();
      row[j] = f.e13(line, 2 + 14 * (j % 4));
    }
  }
}

// Four records of an atomic number and eight values, in any order.  The
// atomic number is read first on its own, so that one outside the table is
// refused before anything is stored; then the record is read again whole,
// into the entries of that atomic number.  The file is taken into memory
// first, so that the second reading can start again where the first began;
// a file too large to hold is the read error.
void read_kshell(const std::string& datadir) {
  DatabaseFile f(datadir, "kshell_data");
  LineSource& source = f.source();
  source.read_whole();
  ElementData& d = ELEMENT_DATA;
  int32_t z = 0;
  for (int rec = 0; rec < 4; ++rec) {
    const std::size_t start = source.offset();
    list_read(source, {ListItem::integer(z)});
    if (z < 1 || z > kKshellElements) {
      refuse(list_text_line("ERROR: kshell_data atomic number not in 1..74"));
    }
    source.seek(start);
    auto& a = d.ksha[z - 1];
    auto& b = d.kshb[z - 1];
    list_read(source, {ListItem::integer(z), ListItem::real(a[0]), ListItem::real(a[1]),
                       ListItem::real(a[2]), ListItem::real(a[3]), ListItem::real(b[0]),
                       ListItem::real(b[1]), ListItem::real(b[2]), ListItem::real(b[3])});
  }
}

// For Z = 1..100 in file order: a count line (an unused integer and the
// number of segments), then one line of five values per segment.
void read_photoelectric(const std::string& datadir) {
  DatabaseFile f(datadir, "photoe.data");
  ElementData& d = ELEMENT_DATA;
  int32_t unused = 0;
  for (int i = 0; i < kPhotoElements; ++i) {
    list_read(f.source(), {ListItem::integer(unused), ListItem::integer(d.npe[i])});
    if (d.npe[i] > kMaxSegments) refuse(list_text_line("ERROR: photoe.data npe.gt.13"));
    for (int j = 0; j < d.npe[i]; ++j) {
      auto& s = d.pe[i][j];
      list_read(f.source(), {ListItem::real(s[0]), ListItem::real(s[1]), ListItem::real(s[2]),
                             ListItem::real(s[3]), ListItem::real(s[4])});
    }
  }
}

// Eight heading lines, then 38 pairs of log10(E/MeV) and log10(mu_en/rho).
void read_air(const std::string& datadir) {
  DatabaseFile f(datadir, "air");
  ElementData& d = ELEMENT_DATA;
  for (int k = 0; k < 8; ++k) list_read(f.source(), {});
  for (int i = 0; i < kAirPoints; ++i) {
    list_read(f.source(), {ListItem::real(d.airle[i]), ListItem::real(d.airlm[i])});
  }
}

}  // namespace

void READ_DATABASE() {
  const std::string datadir = GET_DATA_DIR();
  ElementData& d = ELEMENT_DATA;
  // Emptied in place: a fresh block to assign from would fill tens of
  // kilobytes of stack first.  Every member has its initialiser, so the
  // default construction (without the parentheses, which would zero the
  // whole block once more before it) empties each once.
  d.~ElementData();
  new (&d) ElementData;
  read_names(datadir);
  read_column(datadir, "wghts", d.wghts);
  read_fits(datadir, "sinc", d.sinc);
  read_fits(datadir, "scoh", d.scoh);
  read_column(datadir, "ek", d.ek);
  read_column(datadir, "el1", d.el1);
  read_column(datadir, "el3", d.el3);
  read_column(datadir, "em1", d.em1);
  read_column(datadir, "xl", d.xl);
  read_column(datadir, "xk", d.xk);
  read_column(datadir, "wk", d.wk);
  read_column(datadir, "wl", d.wl);
  read_inscat(datadir);
  read_column(datadir, "v", d.v);
  read_kshell(datadir);
  read_photoelectric(datadir);
  read_air(datadir);

  // The edge ratios; the energy, atomic number and outputs are not used.
  int32_t ierr = kMuInitialise;
  float xpe = 0.0f, xinc = 0.0f, xcoh = 0.0f, xtot = 0.0f;
  mu(10.0f, 10, ierr, xpe, xinc, xcoh, xtot);
}

}  // namespace zelpra
