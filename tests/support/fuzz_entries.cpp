#include "fuzz_entries.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "../../atlune/atlune.h"
#include "../../dosix/dosix.h"
#include "../../torvane/torvane.h"
#include "../../unittools/belmor.h"
#include "../../unittools/brask.h"
#include "../../unittools/fendo.h"
#include "../../unittools/quiset.h"
#include "../../unittools/spectrum_writer.h"
#include "cross_sections.h"
#include "database.h"
#include "db_fixture.h"
#include "detector.h"
#include "element_data.h"
#include "in_process.h"
#include "interp.h"
#include "material.h"
#include "report.h"
#include "spectrum_file.h"
#include "text/fixed_format.h"
#include "text/line_source.h"
#include "text/list_input.h"
#include "text/list_output.h"
#include "text/run_end.h"

namespace zelpra::fuzz {

namespace fs = std::filesystem;

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

namespace {

// ---- The scratch world the readers run in ----------------------------------

void spill(const std::string& path, std::string_view content) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

// Writes `text` at `path`, or removes what is there when there is no text.
void place(const std::string& path, const std::optional<std::string_view>& text) {
  if (text) {
    spill(path, *text);
  } else {
    std::error_code ec;
    fs::remove(path, ec);
  }
}

// Sets ZELPRA_DIR for one call (or unsets it, given no directory) and puts
// the old value back.
class ScopedDataDir {
 public:
  explicit ScopedDataDir(const std::optional<std::string>& dir) {
    if (const char* old = std::getenv("ZELPRA_DIR")) saved_ = old;
    if (dir) setenv("ZELPRA_DIR", dir->c_str(), 1); else unsetenv("ZELPRA_DIR");
  }
  ~ScopedDataDir() {
    if (saved_) setenv("ZELPRA_DIR", saved_->c_str(), 1); else unsetenv("ZELPRA_DIR");
  }
  ScopedDataDir(const ScopedDataDir&) = delete;
  ScopedDataDir& operator=(const ScopedDataDir&) = delete;

 private:
  std::optional<std::string> saved_;
};

// Runs in another working directory for one call.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::string& dir) : old_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (old_ < 0 || ::chdir(dir.c_str()) != 0) throw std::runtime_error("cannot enter " + dir);
  }
  ~ScopedCwd() {
    if (old_ >= 0) {
      if (::fchdir(old_) != 0) std::abort();
      ::close(old_);
    }
  }
  ScopedCwd(const ScopedCwd&) = delete;
  ScopedCwd& operator=(const ScopedCwd&) = delete;

 private:
  int old_;
};

// What the readers print goes here, not to the terminal.
class ScopedOut {
 public:
  ScopedOut() { set_out(&sink_); }
  ~ScopedOut() { set_out(nullptr); }
  ScopedOut(const ScopedOut&) = delete;
  ScopedOut& operator=(const ScopedOut&) = delete;
  std::string text() const { return sink_.str(); }

 private:
  std::ostringstream sink_;
};

// Standard input holds `text` for one call.
class ScopedStdin {
 public:
  explicit ScopedStdin(std::string text) : in_(std::move(text)), source_(in_, kUnitStdin, "stdin") {
    set_stdin_source(&source_);
  }
  ~ScopedStdin() { set_stdin_source(nullptr); }
  ScopedStdin(const ScopedStdin&) = delete;
  ScopedStdin& operator=(const ScopedStdin&) = delete;

 private:
  std::istringstream in_;
  LineSource source_;
};

// The element-data block as a valid database fills it.
ElementData read_valid_database(const std::string& datadir) {
  ScopedDataDir env(datadir);
  ScopedOut quiet;
  try {
    READ_DATABASE();
  } catch (const RunEnd& end) {
    throw std::runtime_error("the database in " + datadir + " does not read: " + end.out +
                             end.stderr_line("fuzz"));
  }
  return ELEMENT_DATA;
}

// A scratch directory holding two valid data directories, the synthetic
// database of db_fixture with empty _materials and _detectors, and a copy of
// the shipped example data, and a working directory, made once per process
// and removed at its end.  The element-data block as the fixture fills it is
// kept, to be put back before every input.
struct World {
  std::string base;
  std::string datadir;     // the fixture
  std::string exampledir;  // the example data
  std::string workdir;
  std::map<std::string, std::string> db_text;          // the fixture's database files
  std::map<std::string, std::string> example_db_text;  // the example data's
  ElementData element_data;

  World() {
    std::string root = "/dev/shm";
    if (::access(root.c_str(), W_OK) != 0) root = fs::temp_directory_path().string();
    std::string tmpl = root + "/zelpra-fuzz-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    base = buf.data();
    datadir = base + "/data";
    workdir = base + "/work";
    test::DbFixture db;
    db.write(datadir);
    for (const std::string& name : test::DbFixture::file_names()) db_text[name] = db.file_text(name);
    fs::create_directories(datadir + "/_materials");
    fs::create_directories(datadir + "/_detectors");
    fs::create_directories(workdir);

    exampledir = base + "/example";
    fs::copy(std::string(ZELPRA_SOURCE_DIR) + "/examples/data", exampledir,
             fs::copy_options::recursive);
    for (const std::string& name : test::DbFixture::file_names()) {
      example_db_text[name] = slurp(exampledir + "/_database/" + name);
    }

    (void)read_valid_database(exampledir);
    element_data = read_valid_database(datadir);
  }
  ~World() {
    std::error_code ec;
    fs::remove_all(base, ec);
  }
  World(const World&) = delete;
  World& operator=(const World&) = delete;
};

World& world() {
  static World w;
  return w;
}

// Every process-wide block back to its state before the first input.
void reset_blocks() {
  SPECTRUM = Spectrum{};
  MATERIAL = Material{};
  DETECTOR = Detector{};
  ELEMENT_DATA = world().element_data;
  set_stdin_source(nullptr);
  set_out(nullptr);
}

// ---- Judging the outcome ---------------------------------------------------

// A reader broke a rule that holds whatever its input: the target fails.
struct Broken {
  std::string what;
};

[[noreturn]] void broken(std::string what) { throw Broken{std::move(what)}; }

bool whole_lines(const std::string& text) { return text.empty() || text.back() == '\n'; }

bool known_io_error(int n) {
  switch (n) {
    case kPermissionDenied: case kEndOfFile: case kFileNotFound: case kOpenFailure:
    case kWriteError: case kReadError: case kSyntaxError: case kConversionError:
      return true;
    default:
      return false;
  }
}

// Which unit a fatal error may name, and the file name that goes with it:
// an exact name, or a prefix of the path.
struct UnitRule {
  int unit;
  std::string file;
  bool prefix;
};

std::string judge_end(const RunEnd& end, const std::vector<UnitRule>& units) {
  if (end.io_error == 0) {
    if (end.status != kRefusalStatus) {
      return "a run end that is neither a refusal nor a fatal error: status " +
             std::to_string(end.status) + ", output \"" + end.out + "\"";
    }
    if (end.out.empty() || !whole_lines(end.out)) {
      return "a refusal whose message is not whole lines: \"" + end.out + "\"";
    }
    return {};
  }
  if (!known_io_error(end.io_error)) return "an unknown fatal error number " + std::to_string(end.io_error);
  if (end.status != end.io_error) {
    return "fatal error " + std::to_string(end.io_error) + " with exit status " + std::to_string(end.status);
  }
  if (!end.out.empty()) return "a fatal error that also prints \"" + end.out + "\"";
  for (const UnitRule& rule : units) {
    if (end.unit != rule.unit) continue;
    if (rule.prefix ? end.file.compare(0, rule.file.size(), rule.file) == 0 : end.file == rule.file) {
      return {};
    }
  }
  return "fatal error " + std::to_string(end.io_error) + " names unit " + std::to_string(end.unit) +
         ", file \"" + end.file + "\"";
}

// ---- Free-form reads -------------------------------------------------------
//
// The input's first line is a program, the rest the text that is read.  Each
// byte of the program is one step: an integer, a real or a text item of one of
// the lengths the tools use, the end of a read statement, or a read with no
// items (which skips a line).  At most 48 steps.

constexpr std::size_t kTextLengths[] = {1, 6, 16, 20, 40, 80};

struct Variable {
  // A text variable starts as blanks, or as '#' characters when `preset`, so
  // that a null value shows.
  explicit Variable(ListItem::Kind k, std::size_t len = 0, bool preset = false)
      : kind(k), t(len, preset ? '#' : ' '), length(len) {}
  ListItem::Kind kind;
  int32_t i = -777;
  float r = 7.25f;
  std::string t;
  std::size_t length;
};

void run_list_input(std::string_view input) {
  std::size_t nl = input.find('\n');
  std::string_view program = input.substr(0, nl == std::string_view::npos ? input.size() : nl);
  std::string text(nl == std::string_view::npos ? std::string_view() : input.substr(nl + 1));
  if (program.size() > 48) program = program.substr(0, 48);

  // The statements' variables; the list items point into them, so nothing is
  // added once the reads begin.
  std::vector<std::vector<Variable>> statements(1);
  for (unsigned char b : program) {
    switch (b % 8) {
      case 0: statements.back().emplace_back(ListItem::Kind::kInteger); break;
      case 1: statements.back().emplace_back(ListItem::Kind::kReal); break;
      case 2:
      case 3:
        statements.back().emplace_back(ListItem::Kind::kText, kTextLengths[(b / 8) % 6], b % 8 == 3);
        break;
      case 4:
      case 5: statements.emplace_back(); break;  // end of a statement
      case 6: statements.emplace_back(); statements.emplace_back(); break;  // an empty read
      default: statements.back().emplace_back(ListItem::Kind::kInteger); break;
    }
  }
  if (statements.size() == 1 && statements[0].empty()) {
    statements[0].emplace_back(ListItem::Kind::kInteger);
    statements[0].emplace_back(ListItem::Kind::kReal);
    statements[0].emplace_back(ListItem::Kind::kText, 40);
  }

  std::istringstream in(text);
  LineSource source(in, kUnitData, "fuzz-input");
  auto check_lengths = [&] {
    for (const auto& st : statements) {
      for (const Variable& v : st) {
        if (v.kind == ListItem::Kind::kText && v.t.size() != v.length) {
          broken("a text variable of length " + std::to_string(v.length) + " holds " +
                 std::to_string(v.t.size()) + " characters");
        }
      }
    }
  };
  try {
    for (auto& st : statements) {
      std::vector<ListItem> items;
      for (Variable& v : st) {
        switch (v.kind) {
          case ListItem::Kind::kInteger: items.push_back(ListItem::integer(v.i)); break;
          case ListItem::Kind::kReal: items.push_back(ListItem::real(v.r)); break;
          case ListItem::Kind::kText: items.push_back(ListItem::text(v.t, v.length)); break;
        }
      }
      list_read(source, items);
      check_lengths();
    }
  } catch (const RunEnd&) {
    check_lengths();
    throw;
  }
}

// ---- Fixed-column fields ---------------------------------------------------
//
// Bytes 0-2 choose the decimals, the scale factor and the field's place on
// the line; bytes 3-6 (when present) are a float for the writer; the rest of
// the input is the line.  The parsers are checked against the rules written
// out once more here, with strtof as the converter, and every field that the
// writer writes in a form the spectrum file uses must read back as the nearest
// float to the digits written.

std::string blanks_removed(std::string_view field) {
  std::string s;
  for (char c : field) {
    if (c != ' ') s += c;
  }
  return s;
}

bool all_digits(std::string_view s) {
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// An Iw field: optional sign, digits; all blank is 0.
bool reference_int(std::string_view field, int32_t& value) {
  std::string s = blanks_removed(field);
  std::size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  if (i == 1 && s.size() == 1) return false;  // a sign alone holds no number
  if (!all_digits(std::string_view(s).substr(i))) return false;
  std::string digits = s.substr(i);
  std::size_t nz = digits.find_first_not_of('0');
  digits = nz == std::string::npos ? "0" : digits.substr(nz);
  if (digits.size() > 10) return false;
  long long v = std::stoll(digits);
  if (!s.empty() && s[0] == '-') v = -v;
  if (v > 2147483647LL || v < -2147483648LL) return false;
  value = static_cast<int32_t>(v);
  return true;
}

// An Fw.d / Ew.d field: [sign] digits [. digits] [(E|e|D|d)[sign] digits | sign digits].
bool reference_real(std::string_view field, int d, bool scale_1p, float& value) {
  std::string s = blanks_removed(field);
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::string mantissa;
  std::size_t int_start = i;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
  std::string int_digits = s.substr(int_start, i - int_start);
  bool point = false;
  std::string frac_digits;
  if (i < s.size() && s[i] == '.') {
    point = true;
    std::size_t f = ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    frac_digits = s.substr(f, i - f);
  }
  bool has_exponent = false;
  std::string exponent;
  if (i < s.size()) {
    if (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd') ++i;
    else if (s[i] != '+' && s[i] != '-') return false;
    std::string sign;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) sign = s[i++];
    std::string digits = s.substr(i);
    if (digits.empty() || !all_digits(digits)) return false;
    // Long runs of exponent digits: keep the value's meaning, not its text.
    std::size_t nz = digits.find_first_not_of('0');
    digits = nz == std::string::npos ? "0" : digits.substr(nz);
    if (digits.size() > 12) digits = "999999999999";
    exponent = sign + digits;
    has_exponent = true;
  }
  std::string digits = int_digits + frac_digits;
  if (digits.find_first_not_of('0') == std::string::npos) {
    value = negative ? -0.0f : 0.0f;
    return true;
  }
  long long shift = point ? -static_cast<long long>(frac_digits.size()) : -static_cast<long long>(d);
  if (has_exponent) shift += std::stoll(exponent);
  else if (scale_1p) shift -= 1;
  std::string text = (negative ? "-" : "") + digits + "e" + std::to_string(shift);
  errno = 0;
  float v = std::strtof(text.c_str(), nullptr);
  if (std::isinf(v)) return false;
  value = v;
  return true;
}

bool same_float(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

std::string show(std::string_view s) {
  std::string r = "\"";
  for (unsigned char c : s) {
    if (c >= 32 && c < 127 && c != '"' && c != '\\') {
      r += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      r += buf;
    }
  }
  return r + "\"";
}

void check_written_field(const FixedRecord& rec, int w, int d, bool scale_1p, const char* form) {
  const std::string& text = rec.str();
  if (static_cast<int>(text.size()) != w) {
    broken(std::string(form) + " wrote " + show(text) + ", not " + std::to_string(w) + " columns");
  }
  if (!rec.fits()) {
    if (text != std::string(static_cast<std::size_t>(w), '*')) {
      broken(std::string(form) + " did not fit but wrote " + show(text));
    }
    return;
  }
  float back = 0.0f;
  if (!parse_real_field(text, d, scale_1p, back)) {
    broken(std::string(form) + " wrote " + show(text) + ", which does not read back");
  }
  std::string plain = blanks_removed(text);
  float nearest = std::strtof(plain.c_str(), nullptr);
  if (!same_float(back, nearest)) {
    broken(std::string(form) + " wrote " + show(text) + ", which reads back as " +
           std::to_string(back) + ", not the nearest float");
  }
}

bool mantissa_has_digit(const std::string& t) {
  std::size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
  for (; i < t.size(); ++i) {
    if (t[i] >= '0' && t[i] <= '9') return true;
    if (t[i] != '.') return false;
  }
  return false;
}

// Reads `token` free-form as an integer, a real and a text; each outcome must
// match the fixed-column reading of the same characters.
void free_form_agrees(const std::string& token) {
  const bool digit = mantissa_has_digit(token);
  auto read_as = [&](const ListItem& item) -> int {
    std::istringstream in(token + "\n");
    LineSource source(in, kUnitData, "fuzz-token");
    try {
      list_read(source, {item});
    } catch (const RunEnd& end) {
      if (end.io_error != kSyntaxError && end.io_error != kConversionError) {
        broken("free-form " + show(token) + " gave error " + std::to_string(end.io_error));
      }
      return end.io_error;
    }
    return 0;
  };

  int32_t fixed_i = 0, free_i = 0;
  const bool fixed_int = parse_int_field(token, fixed_i) && digit;
  const int int_error = read_as(ListItem::integer(free_i));
  if ((int_error == 0) != fixed_int || (fixed_int && free_i != fixed_i)) {
    broken("integer " + show(token) + ": free-form " +
           (int_error ? "error " + std::to_string(int_error) : std::to_string(free_i)) + ", fixed " +
           (fixed_int ? std::to_string(fixed_i) : "error"));
  }

  float fixed_r = 0.0f, free_r = 0.0f;
  const bool fixed_real = parse_real_field(token, 0, false, fixed_r) && digit;
  const int real_error = read_as(ListItem::real(free_r));
  if ((real_error == 0) != fixed_real || (fixed_real && !same_float(free_r, fixed_r))) {
    char buf[96];
    std::snprintf(buf, sizeof buf, ": free-form %s%.9g, fixed %s%.9g", real_error ? "error " : "",
                  real_error ? static_cast<double>(real_error) : static_cast<double>(free_r),
                  fixed_real ? "" : "error ", static_cast<double>(fixed_r));
    broken("real " + show(token) + buf);
  }

  std::string text(40, '#');
  const int text_error = read_as(ListItem::text(text, 40));
  std::string expected = token.substr(0, 40);
  expected.resize(40, ' ');
  if (text_error != 0 || text != expected) {
    broken("text " + show(token) + " read as " + show(text) + " (error " + std::to_string(text_error) + ")");
  }
}

void run_fixed_field(std::string_view input) {
  if (input.size() < 3) return;
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(input[k]); };
  const int d = b(0) % 10;
  const bool scale_1p = (b(0) / 10) % 2 == 1;
  const int first = 1 + b(1) % 48;
  const int width = b(2) % 24;
  float written = 0.0f;
  bool have_written = false;
  std::string_view line = input.substr(3);
  if (line.size() >= 4) {
    std::memcpy(&written, line.data(), 4);
    have_written = true;
  }

  const std::string field = column_field(line, first, width);
  if (field.size() != static_cast<std::size_t>(width)) {
    broken("column_field gave " + std::to_string(field.size()) + " columns for " + std::to_string(width));
  }

  int32_t iv = 0, iref = 0;
  const bool iok = parse_int_field(field, iv);
  const bool iref_ok = reference_int(field, iref);
  if (iok != iref_ok || (iok && iv != iref)) {
    broken("integer field " + show(field) + ": read " + (iok ? std::to_string(iv) : "error") +
           ", expected " + (iref_ok ? std::to_string(iref) : "error"));
  }

  float rv = 0.0f, rref = 0.0f;
  const bool rok = parse_real_field(field, d, scale_1p, rv);
  const bool rref_ok = reference_real(field, d, scale_1p, rref);
  if (rok && !std::isfinite(rv)) broken("real field " + show(field) + " read as a non-finite value");
  if (rok != rref_ok || (rok && !same_float(rv, rref))) {
    char buf[120];
    std::snprintf(buf, sizeof buf, ": read %s%.9g, expected %s%.9g (d=%d, 1P=%d)", rok ? "" : "error ",
                  static_cast<double>(rv), rref_ok ? "" : "error ", static_cast<double>(rref), d,
                  scale_1p ? 1 : 0);
    broken("real field " + show(field) + buf);
  }

  // The same characters as one free-form value: the free-form grammar is the
  // fixed-column one with at least one digit in the mantissa, no implied
  // decimals and no scale factor, and an undelimited text is the characters
  // themselves.
  const std::string token = blanks_removed(field);
  if (!token.empty() && token.find_first_of("\t,/'\"*\r\n") == std::string::npos) {
    free_form_agrees(token);
  }

  // The same fields through a line source, which ends the run on error 64.
  std::istringstream empty;
  LineSource source(empty, kUnitData, "fuzz-field");
  std::string whole(line);
  if (rok) (void)read_real_field(source, whole, first, width, d, scale_1p);
  if (iok) (void)read_int_field(source, whole, first, width);

  // The writer's forms of spectra.tmp, on the float of the input and on the
  // value just read.
  std::vector<float> values{rv};
  if (have_written) values.push_back(written);
  for (float v : values) {
    check_written_field(FixedRecord().F(v, 7, 3), 7, 3, false, "F7.3");
    check_written_field(FixedRecord().F(v, 6, 3), 6, 3, false, "F6.3");
    check_written_field(FixedRecord().F(v, 6, 2), 6, 2, false, "F6.2");
    check_written_field(FixedRecord().F(v, 7, 4), 7, 4, false, "F7.4");
    check_written_field(FixedRecord().F(v, 10, 4), 10, 4, false, "F10.4");
    check_written_field(FixedRecord().PE(v, 13, 4), 13, 4, true, "1P,E13.4");
    check_written_field(FixedRecord().PE(v, 13, 4), 13, 4, false, "1P,E13.4 read as E13.4");
    check_written_field(FixedRecord().E(v, 13, 5), 13, 5, false, "E13.5");
  }
  for (int32_t n : {iv, static_cast<int32_t>(b(1)) - 128}) {
    for (int w : {1, 2, 3}) {
      FixedRecord rec;
      rec.I(n, w);
      int32_t back = 0;
      if (static_cast<int>(rec.str().size()) != w) broken("I" + std::to_string(w) + " wrote " + show(rec.str()));
      if (rec.fits() && (!parse_int_field(rec.str(), back) || back != n)) {
        broken("I" + std::to_string(w) + " wrote " + show(rec.str()) + " for " + std::to_string(n));
      }
    }
  }
}

// ---- spectra.tmp ------------------------------------------------------------
//
// The input is the file.  After a normal read: the counts lie within the
// block, the report block prints, and the spectrum goes through the writer;
// what the writer writes must read back, and writing that again must give
// the same bytes.

std::vector<std::string> work_entries() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(world().workdir)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

void run_spectrum(std::string_view input) {
  std::istringstream in{std::string(input)};
  LineSource source(in, kUnitData, kSpectrumFileName);
  UnitFlags iu{};
  read_spectrum_records(source, iu);

  const Spectrum& s = SPECTRUM;
  if (s.nbin > kMaxBins || s.nhist > kMaxHistory) {
    broken("counts beyond the block: nbin " + std::to_string(s.nbin) + ", nhist " + std::to_string(s.nhist));
  }
  for (int i = 0; i < s.nhist; ++i) {
    if (s.hname[i].size() != static_cast<std::size_t>(kHistoryNameLength)) {
      broken("history name " + std::to_string(i + 1) + " has " + std::to_string(s.hname[i].size()) +
             " characters");
    }
  }
  REPORT_SPECTRUM();

  ScopedCwd cwd(world().workdir);
  std::error_code ec;
  fs::remove(kSpectrumFileName, ec);
  try {
    WRITE_SPECTRUM(iu);
  } catch (const RunEnd&) {
    if (!work_entries().empty()) broken("the writer refused and left a file behind");
    throw;
  }
  const std::string first = slurp(kSpectrumFileName);
  if (work_entries().size() != 1) broken("the writer left a temporary file behind");
  SPECTRUM = Spectrum{};
  UnitFlags iu2{};
  try {
    std::istringstream again(first);
    LineSource source2(again, kUnitData, kSpectrumFileName);
    read_spectrum_records(source2, iu2);
    WRITE_SPECTRUM(iu2);
  } catch (const RunEnd& end) {
    broken("what the writer wrote does not go round again: " + end.out + end.stderr_line("reader") +
           "\n--- written:\n" + first);
  }
  const std::string second = slurp(kSpectrumFileName);
  if (second != first) broken("written twice, the spectrum differs:\n" + first + "--- then:\n" + second);
}

// ---- Material and detector files -------------------------------------------
//
// The input is the standard-input text up to the first NUL byte, then the
// file's content; the file is written as "m" in _materials (or "d" in
// _detectors), so an answer of m (or d) finds it, and any other answer meets
// whatever that name opens.  An answer that climbs out of the data directory
// ("..") is passed over: it could name a device that never ends.

std::pair<std::string, std::string> split_at_nul(std::string_view input) {
  std::size_t nul = input.find('\0');
  if (nul == std::string_view::npos) return {std::string(input), std::string()};
  return {std::string(input.substr(0, nul)), std::string(input.substr(nul + 1))};
}

constexpr float kProbeEnergies[] = {0.5f, 1.0f, 4.99f, 12.5f, 33.17f, 88.0f, 150.0f};

void run_material(std::string_view input) {
  auto [answers, content] = split_at_nul(input);
  if (answers.find("..") != std::string::npos) return;
  World& w = world();
  spill(w.datadir + "/_materials/m", content);
  ScopedStdin in(answers);
  std::string matname(kNameLength, ' ');
  READ_MATERIAL(w.datadir, matname);
  if (matname.size() != static_cast<std::size_t>(kNameLength)) broken("matname is not 40 characters");
  if (MATERIAL.nz < 1 || MATERIAL.nz > kMaxElements) broken("nz " + std::to_string(MATERIAL.nz) + " was accepted");
  for (float e : kProbeEnergies) {
    if (e < 1.0f) continue;
    float xinc = 0, xpe = 0, mutot = 0, mupi = 0;
    MIXTURE_MU(e, xinc, xpe, mutot, mupi);
  }
}

void run_detector(std::string_view input) {
  auto [answers, content] = split_at_nul(input);
  if (answers.find("..") != std::string::npos) return;
  World& w = world();
  spill(w.datadir + "/_detectors/d", content);
  ScopedStdin in(answers);
  std::string detname(kNameLength, ' ');
  READ_DETECTOR(w.datadir, detname);
  const Detector& d = DETECTOR;
  if (detname.size() != static_cast<std::size_t>(kNameLength)) broken("detname is not 40 characters");
  if (d.dtitle.size() != 40 || d.dcode.size() != 6) broken("title or code of the wrong length");
  if (d.ndet > kMaxDetectorPoints) broken("ndet " + std::to_string(d.ndet) + " was accepted");
  // The response at a few bin energies, as atlune asks for it.
  for (float e : kProbeEnergies) (void)INTERP(d.edet.data(), d.rdet.data(), d.ndet, e, 2, 4);
}

// ---- The interaction database ----------------------------------------------
//
// Byte 0 picks the valid database the input starts from: the fixture (bit 0
// clear) or the shipped example data (bit 0 set).  The rest is a list of
// edits split at NUL bytes, applied in order, each a file byte, a line number
// in two bytes and a text:
//   - file byte: bits 0-5 pick one of the 17 files (modulo 17); bit 7
//     removes the file (the rest of the edit is not needed); bit 6 cuts the
//     file after the text;
//   - line number: most significant byte first, modulo one more than the
//     file's line count;
//   - text: takes the place of as many of the file's lines from that line
//     on as it holds (with bit 6, of all of them).
// So a few bytes malform a line deep in a long file, and several files at
// once.  After a normal read, mu is asked for a few elements and energies
// on the tables just read.

// The lines of `text`, each with its line end (the last may have none).
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t nl = text.find('\n', at);
    std::size_t next = nl == std::string::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(at, next - at));
    at = next;
  }
  return lines;
}

std::string edited(const std::string& text, std::size_t line_number, std::string_view replacement,
                   bool cut) {
  const std::vector<std::string> lines = lines_of(text);
  const std::size_t first = line_number % (lines.size() + 1);
  std::size_t replaced =
      static_cast<std::size_t>(std::count(replacement.begin(), replacement.end(), '\n'));
  if (!replacement.empty() && replacement.back() != '\n') ++replaced;
  std::string out;
  for (std::size_t i = 0; i < first; ++i) out += lines[i];
  out += replacement;
  if (!cut) {
    for (std::size_t i = first + replaced; i < lines.size(); ++i) out += lines[i];
  }
  return out;
}

std::vector<std::string_view> split_at_nuls(std::string_view input) {
  std::vector<std::string_view> parts;
  while (true) {
    std::size_t nul = input.find('\0');
    parts.push_back(input.substr(0, nul));
    if (nul == std::string_view::npos) break;
    input.remove_prefix(nul + 1);
  }
  return parts;
}

void run_database(std::string_view input) {
  if (input.empty()) return;
  World& w = world();
  const bool example = (static_cast<unsigned char>(input[0]) & 1) != 0;
  const std::string& dir = example ? w.exampledir : w.datadir;
  const std::map<std::string, std::string>& valid = example ? w.example_db_text : w.db_text;
  const auto& names = database_file_names();

  // Every file as the edits leave it; std::nullopt for a removed one.
  std::map<std::string, std::optional<std::string>> files;
  if (input.size() > 1) {
    for (std::string_view edit : split_at_nuls(input.substr(1))) {
      if (edit.empty()) continue;
      const unsigned char f = static_cast<unsigned char>(edit[0]);
      const std::string& name = names[(f & 0x3f) % names.size()];
      auto it = files.try_emplace(name, valid.at(name)).first;
      if (f & 0x80) {
        it->second = std::nullopt;
        continue;
      }
      if (edit.size() < 3) continue;
      const std::size_t line =
          static_cast<unsigned char>(edit[1]) * 256u + static_cast<unsigned char>(edit[2]);
      it->second = edited(it->second.value_or(""), line, edit.substr(3), (f & 0x40) != 0);
    }
  }

  struct Restore {
    const std::string& dir;
    const std::map<std::string, std::string>& valid;
    const std::map<std::string, std::optional<std::string>>& files;
    ~Restore() {
      for (const auto& [name, text] : files) spill(dir + "/_database/" + name, valid.at(name));
    }
  } restore{dir, valid, files};
  for (const auto& [name, text] : files) place(dir + "/_database/" + name, text);

  ScopedDataDir env(dir);
  READ_DATABASE();
  for (int32_t z : {1, 6, 8, 11, 13, 29, 53, 74, 82, 83, 90, 92}) {
    for (float e : kProbeEnergies) {
      int32_t ierr = kMuSuccess;
      float xpe = 0, xinc = 0, xcoh = 0, xtot = 0;
      mu(e, z, ierr, xpe, xinc, xcoh, xtot);
      if (ierr != kMuSuccess && ierr != kMuNotTabulated && ierr != kMuBadAtomicNumber &&
          ierr != kMuBelowOneKeV) {
        broken("mu gave status " + std::to_string(ierr));
      }
    }
  }
}

// ---- Whole runs of the tools -----------------------------------------------
//
// A tool's main routine runs through run_tool, as its program runs it, with
// standard output and standard error captured.  The input is laid out as
// fuzz_entries.h says.

// The condition of the settings byte: its bits 1-3, where 1 and 2 are a
// plain run as 0 is.
Condition condition_of(unsigned char settings) {
  const int n = (settings >> 1) & 7;
  return n < static_cast<int>(Condition::kTemporaryTaken) ? Condition::kPlain
                                                          : static_cast<Condition>(n);
}

struct ToolInfo {
  Target target;
  const char* name;
  void (*routine)();
  bool rewrites_spectrum;  // quiset, brask, fendo
  bool reads_stdin;
  bool reads_database;     // and a material file; atlune a detector file too
  bool reads_detector;
};

const ToolInfo kTools[] = {
    {Target::kAtlune, "atlune", EFF_ATTEN, false, true, true, true},
    {Target::kTorvane, "torvane", TORVANE, false, true, true, false},
    {Target::kDosix, "dosix", EXPOSURE, false, false, false, false},
    {Target::kQuiset, "quiset", TO_ENERGY, true, false, false, false},
    {Target::kBrask, "brask", TO_PER_SR, true, false, false, false},
    {Target::kFendo, "fendo", RESCALE_DISTANCE, true, true, false, false},
    {Target::kBelmor, "belmor", INTEGRATE, false, false, false, false},
};

const ToolInfo* tool_info(Target target) {
  for (const ToolInfo& t : kTools) {
    if (t.target == target) return &t;
  }
  return nullptr;
}

// run_tool takes a plain function: the routine under test, and the RunEnd by
// which it ended the run, pass through these.
void (*g_routine)() = nullptr;
std::optional<RunEnd> g_end;

void routine_keeping_its_end() {
  try {
    g_routine();
  } catch (const RunEnd& end) {
    g_end = end;
    throw;
  }
}

// Files may not grow beyond `limit` bytes for one call.  SIGXFSZ keeps its
// disposition: the writer must not end the run by it.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t limit) {
    struct rlimit lower {};
    if (::getrlimit(RLIMIT_FSIZE, &old_) != 0) throw std::runtime_error("cannot read RLIMIT_FSIZE");
    lower = old_;
    lower.rlim_cur = std::min(limit, old_.rlim_max);
    if (::setrlimit(RLIMIT_FSIZE, &lower) != 0) throw std::runtime_error("cannot set RLIMIT_FSIZE");
  }
  ~ScopedFileSizeLimit() {
    if (::setrlimit(RLIMIT_FSIZE, &old_) != 0) std::abort();
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  struct rlimit old_ {};
};

// The names the spectrum writer writes its temporary file under: the one it
// uses while it holds the lock on spectra.tmp, and its own process's.
std::vector<std::string> writer_temporary_names() {
  const std::string name = kSpectrumFileName;
  return {name + ".new", name + "." + std::to_string(static_cast<long>(::getpid())) + ".new"};
}

// Each entry of the working directory and of the directories in it: a
// file's content, a link's target and content, or a mark for a directory.
std::map<std::string, std::string> work_snapshot() {
  std::map<std::string, std::string> entries;
  const fs::path workdir = world().workdir;
  for (const auto& entry : fs::recursive_directory_iterator(workdir)) {
    const std::string path = entry.path().string();
    std::string& what = entries[entry.path().lexically_relative(workdir).string()];
    if (entry.is_symlink()) {
      what = "link to " + fs::read_symlink(entry.path()).string() + ": ";
      if (fs::is_regular_file(entry.path())) what += slurp(path);
    } else if (entry.is_directory()) {
      what = "a directory";
    } else {
      what = slurp(path);
    }
  }
  return entries;
}

void empty_workdir() {
  for (const auto& entry : fs::directory_iterator(world().workdir)) fs::remove_all(entry.path());
}

void run_whole_tool(const ToolInfo& tool, std::string_view input) {
  World& w = world();
  const unsigned char settings = input.empty() ? 0 : static_cast<unsigned char>(input[0]);
  const Condition condition = condition_of(settings);
  std::vector<std::string_view> parts;
  if (input.size() > 1) parts = split_at_nuls(input.substr(1));
  auto part = [&](std::size_t i) -> std::optional<std::string_view> {
    if (i < parts.size()) return parts[i];
    return std::nullopt;
  };
  if (tool.reads_database && part(1).value_or("").find("..") != std::string_view::npos) return;

  // The data directory, with the material and detector files of the input.
  const std::string& datadir = (settings & 1) ? w.exampledir : w.datadir;
  place(datadir + "/_materials/m", part(2));
  place(datadir + "/_detectors/d", part(3));

  // The working directory: spectra.tmp, and what the condition adds.
  empty_workdir();
  ScopedCwd cwd(w.workdir);
  if (const auto spectrum = part(0)) {
    if (condition == Condition::kLinkedSpectrum) {
      fs::create_directory("linked");
      spill("linked/spectrum", *spectrum);
      fs::create_symlink("linked/spectrum", kSpectrumFileName);
    } else {
      spill(kSpectrumFileName, *spectrum);
    }
  }
  if (condition == Condition::kTemporaryTaken || condition == Condition::kTemporariesTaken) {
    const std::vector<std::string> names = writer_temporary_names();
    for (std::size_t i = 0; i < (condition == Condition::kTemporaryTaken ? 1 : names.size()); ++i) {
      fs::create_directory(names[i]);
      spill(names[i] + "/keep", "");
    }
  }
  const std::map<std::string, std::string> before = work_snapshot();

  // The run.
  std::vector<UnitRule> units = {{kUnitData, kSpectrumFileName, false}};
  if (tool.reads_stdin) units.push_back({kUnitStdin, "stdin", false});
  if (tool.reads_database) {
    units.push_back({kUnitDatabase, datadir + "/_database/", true});
    units.push_back({kUnitData, datadir + "/_materials/", true});
  }
  if (tool.reads_detector) units.push_back({kUnitData, datadir + "/_detectors/", true});

  int status = -1;
  g_routine = tool.routine;
  g_end.reset();
  const test::InProcessRun run = test::run_in_process(
      [&] {
        ScopedDataDir env(condition == Condition::kNoDataDir ? std::nullopt
                                                             : std::optional<std::string>(datadir));
        // The length of the input: a spectrum rewritten longer than it was
        // read fails part way, and libFuzzer can still write the input of a
        // crash inside the limit whole.
        std::optional<ScopedFileSizeLimit> limit;
        if (condition == Condition::kFileSizeLimit) limit.emplace(input.size());
        status = run_tool(tool.name, routine_keeping_its_end);
      },
      std::string(part(1).value_or("")));

  // One of the three ends, reported as run_tool reports it.
  if (g_end) {
    const std::string verdict = judge_end(*g_end, units);
    if (!verdict.empty()) broken(verdict);
    if (status != g_end->status) {
      broken("run_tool returned " + std::to_string(status) + " for a run that ended with " +
             std::to_string(g_end->status));
    }
    if (run.err != g_end->stderr_line(tool.name)) broken("standard error holds " + show(run.err));
  } else if (status != 0 || !run.err.empty()) {
    broken("a normal end with status " + std::to_string(status) + " and standard error " +
           show(run.err));
  }
  if (!whole_lines(run.out)) broken("printed output that is not whole lines: " + show(run.out));
  // A normal end prints a result, or for a converter nothing at all.
  if (status == 0 && tool.rewrites_spectrum != run.out.empty()) {
    broken("a normal end that prints " + show(run.out));
  }

  // Only a converter's normal end changes the working directory: it rewrites
  // spectra.tmp, which must read back, and leaves nothing else behind.
  const std::map<std::string, std::string> after = work_snapshot();
  if (tool.rewrites_spectrum && status == 0) {
    std::vector<std::string> names_before, names_after;
    for (const auto& e : before) names_before.push_back(e.first);
    for (const auto& e : after) names_after.push_back(e.first);
    if (names_after != names_before) {
      broken("the converter left the working directory with other entries");
    }
    if (condition == Condition::kLinkedSpectrum && !fs::is_symlink(kSpectrumFileName)) {
      broken("the rewrite replaced the symbolic link spectra.tmp instead of the file it names");
    }
    std::istringstream written(slurp(kSpectrumFileName));
    LineSource source(written, kUnitData, kSpectrumFileName);
    UnitFlags iu{};
    try {
      read_spectrum_records(source, iu);
    } catch (const RunEnd& end) {
      broken("the rewritten spectra.tmp does not read back: " + end.out +
             end.stderr_line("reader"));
    }
  } else if (after != before) {
    std::string what;
    for (const auto& [name, content] : after) {
      auto it = before.find(name);
      if (it == before.end()) what += " " + name + " was created;";
      else if (it->second != content) what += " " + name + " changed;";
    }
    for (const auto& [name, content] : before) {
      if (after.find(name) == after.end()) what += " " + name + " was removed;";
    }
    broken("a run that ended with status " + std::to_string(status) +
           " changed the working directory:" + what);
  }
}

}  // namespace

const std::vector<TargetInfo>& targets() {
  static const std::vector<TargetInfo> list = {
      {Target::kListInput, "list_input"}, {Target::kFixedField, "fixed_field"},
      {Target::kSpectrum, "spectrum"},    {Target::kMaterial, "material"},
      {Target::kDetector, "detector"},    {Target::kDatabase, "database"},
      {Target::kAtlune, "atlune"},        {Target::kTorvane, "torvane"},
      {Target::kDosix, "dosix"},          {Target::kQuiset, "quiset"},
      {Target::kBrask, "brask"},          {Target::kFendo, "fendo"},
      {Target::kBelmor, "belmor"},
  };
  return list;
}

bool target_by_name(std::string_view name, Target& target) {
  for (const TargetInfo& t : targets()) {
    if (name == t.name) {
      target = t.target;
      return true;
    }
  }
  return false;
}

const std::vector<std::string>& database_file_names() {
  static const std::vector<std::string> names(test::DbFixture::file_names().begin(),
                                              test::DbFixture::file_names().end());
  return names;
}

std::string run_one(Target target, const uint8_t* data, std::size_t size) {
  World& w = world();
  reset_blocks();
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  std::vector<UnitRule> units;
  switch (target) {
    case Target::kListInput: units = {{kUnitData, "fuzz-input", false}}; break;
    case Target::kFixedField:
      units = {{kUnitData, "fuzz-field", false}, {kUnitData, "fuzz-token", false}};
      break;
    case Target::kSpectrum: units = {{kUnitData, kSpectrumFileName, false}}; break;
    case Target::kMaterial:
      units = {{kUnitStdin, "stdin", false}, {kUnitData, w.datadir + "/_materials/", true}};
      break;
    case Target::kDetector:
      units = {{kUnitStdin, "stdin", false}, {kUnitData, w.datadir + "/_detectors/", true}};
      break;
    case Target::kDatabase:
      units = {{kUnitDatabase, w.datadir + "/_database/", true},
               {kUnitDatabase, w.exampledir + "/_database/", true}};
      break;
    default: break;  // a tool's run is judged whole (run_whole_tool)
  }

  std::string verdict;
  {
    ScopedOut printed;
    try {
      switch (target) {
        case Target::kListInput: run_list_input(input); break;
        case Target::kFixedField: run_fixed_field(input); break;
        case Target::kSpectrum: run_spectrum(input); break;
        case Target::kMaterial: run_material(input); break;
        case Target::kDetector: run_detector(input); break;
        case Target::kDatabase: run_database(input); break;
        default: run_whole_tool(*tool_info(target), input); break;
      }
    } catch (const RunEnd& end) {
      verdict = judge_end(end, units);
    } catch (const Broken& b) {
      verdict = b.what;
    } catch (const std::exception& e) {
      verdict = std::string("an unexpected exception: ") + e.what();
    } catch (...) {
      verdict = "an unexpected exception of unknown type";
    }
    if (verdict.empty() && !whole_lines(printed.text())) {
      verdict = "printed output that is not whole lines: " + show(printed.text());
    }
  }
  reset_blocks();
  return verdict;
}

}  // namespace zelpra::fuzz
