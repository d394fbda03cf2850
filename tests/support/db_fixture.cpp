#include "db_fixture.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace zelpra::test {

namespace {

namespace fs = std::filesystem;

// The float nearest to v written with `sig` significant digits.
float sig_digits(double v, int sig) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", sig - 1, v);
  return std::strtof(buf, nullptr);
}

// The float nearest to v written with `dec` decimals.
float decimals(double v, int dec) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", dec, v);
  return std::strtof(buf, nullptr);
}

// A mantissa without a point reads its last digits as decimals in a
// fixed-column field, so every number written carries a point.
std::string with_point(std::string s) {
  if (s.find('.') != std::string::npos) return s;
  std::size_t e = s.find_first_of("eE");
  if (e == std::string::npos) return s + ".";
  return s.substr(0, e) + "." + s.substr(e);
}

// "1.5e+02" -> "1.5E2", "1e-05" -> "1.E-5": the shortest exponent form.
std::string compact_exponent(std::string s) {
  std::size_t e = s.find_first_of("eE");
  if (e == std::string::npos) return s;
  std::string mant = s.substr(0, e);
  std::string ex = s.substr(e + 1);
  bool neg = false;
  std::size_t i = 0;
  if (i < ex.size() && (ex[i] == '+' || ex[i] == '-')) neg = ex[i++] == '-';
  while (i + 1 < ex.size() && ex[i] == '0') ++i;
  return with_point(mant) + "E" + (neg ? "-" : "") + ex.substr(i);
}

// The shortest texts of `value` that read back as the same float.
std::string shortest_fixed(float value) {
  char buf[128];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  if (r.ec != std::errc()) return std::string(200, '#');
  return with_point(std::string(buf, r.ptr));
}

std::string shortest_scientific(float value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  if (r.ec != std::errc()) return std::string(200, '#');
  return compact_exponent(std::string(buf, r.ptr));
}

std::string free_real(float value) {
  std::string f = shortest_fixed(value);
  std::string s = shortest_scientific(value);
  return f.size() <= s.size() ? f : s;
}

std::string pad_left(const std::string& s, std::size_t w) {
  return s.size() >= w ? s : std::string(w - s.size(), ' ') + s;
}

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

std::string per_row_file(const std::array<float, kElementRows>& values) {
  std::string text;
  for (float v : values) text += blanks(10) + DbFixture::e13(v) + "\n";
  return text;
}

std::string fit_file(const std::array<std::array<float, 4>, kElementRows>& fits) {
  std::string text;
  for (const auto& row : fits) {
    text += blanks(8);
    for (float c : row) text += blanks(2) + DbFixture::e13(c);
    text += "\n";
  }
  return text;
}

// An exponent form of a number given as digits "d.ddd" (or "d") and its
// decimal exponent that fits in 13 columns if one does, preferring the plain
// ones: "d.dddEx", ".ddddEx" (exponent one higher), then the same with the
// exponent as a sign and digits alone ("1.5+2", ".15-3").
std::string shortest_exponent_form(bool negative, const std::string& mantissa, int exponent) {
  std::string digits;
  for (char c : mantissa) {
    if (c != '.') digits += c;
  }
  const std::string sign = negative ? "-" : "";
  auto exp_text = [](int x, bool with_letter) {
    std::string t = std::to_string(x < 0 ? -x : x);
    if (with_letter) return std::string("E") + (x < 0 ? "-" : "") + t;
    return std::string(x < 0 ? "-" : "+") + t;
  };
  const std::string lead = sign + digits.substr(0, 1) + "." + digits.substr(1);
  const std::string point = sign + "." + digits;
  const std::string forms[] = {lead + exp_text(exponent, true), point + exp_text(exponent + 1, true),
                               lead + exp_text(exponent, false),
                               point + exp_text(exponent + 1, false)};
  for (const std::string& t : forms) {
    if (t.size() <= 13) return t;
  }
  return forms[0];
}

// Splits printf/to_chars scientific text "-1.25e+02" into its parts.
std::string exponent_form(const std::string& scientific) {
  const bool negative = !scientific.empty() && scientific[0] == '-';
  const std::size_t e = scientific.find_first_of("eE");
  const std::string mantissa = scientific.substr(negative ? 1 : 0, e - (negative ? 1 : 0));
  return shortest_exponent_form(negative, mantissa, std::stoi(scientific.substr(e + 1)));
}

}  // namespace

std::string DbFixture::e13(float value) {
  if (!std::isfinite(value)) return std::string(13, '*');
  const std::string fixed = shortest_fixed(value);
  if (fixed.size() <= 13) return pad_left(fixed, 13);
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  const std::string sci = exponent_form(std::string(buf, r.ptr));
  if (sci.size() <= 13) return pad_left(sci, 13);
  // More digits than the field holds: the most that fit, rounded.
  for (int p = 9; p >= 1; --p) {
    std::snprintf(buf, sizeof buf, "%.*E", p - 1, static_cast<double>(value));
    const std::string t = exponent_form(buf);
    if (t.size() <= 13) return pad_left(t, 13);
  }
  return std::string(13, '*');
}

DbFixture::DbFixture() {
  ElementData& d = data;
  for (int r = 1; r <= kElementRows; ++r) {
    const int i = r - 1;
    const int32_t z = row_atomic_number(r);
    std::string name = "ELEMENT " + std::to_string(z);
    d.names[i] = name + std::string(16 - name.size(), ' ');
    d.wghts[i] = decimals(2.0 * z + 0.5, 1);
    d.sinc[i] = {decimals(-1.5 + 0.05 * r, 2), 0.75f, -0.125f, 0.0078125f};
    d.scoh[i] = {decimals(-2.0 + 0.06 * r, 2), 0.5f, -0.25f, 0.015625f};
    d.ek[i] = z == 1 ? 0.0136f : sig_digits(0.0102 * (z - 1) * (z - 1), 4);
    d.el1[i] = z >= 11 ? sig_digits(0.0026 * (z - 3.5) * (z - 3.5), 4) : 0.0f;
    d.el3[i] = z >= 11 ? sig_digits(0.0021 * (z - 3.5) * (z - 3.5), 4) : 0.0f;
    d.em1[i] = decimals(0.001 * z, 3);
    d.xl[i] = decimals(1.0 + 0.01 * z, 2);
    d.xk[i] = decimals(2.0 + 0.01 * z, 2);
    d.wk[i] = decimals(0.01 * z / 1.0, 2);
    d.wl[i] = decimals(0.001 * z, 3);
    for (int j = 0; j < kInscatValues; ++j) d.inscat[i][j] = decimals(0.01 * (j + 1) + 0.1 * r, 2);
  }
  for (int j = 0; j < kInscatValues; ++j) d.v[j] = decimals(0.05 * (j + 1), 2);

  kshell_z = {6, 13, 29, 74};
  for (int32_t z : kshell_z) {
    for (int k = 0; k < 4; ++k) {
      d.ksha[z - 1][k] = decimals(0.01 * z * (k + 1), 2);
      d.kshb[z - 1][k] = sig_digits(static_cast<double>(k + 1) / z, 6);
    }
  }

  for (int32_t z = 1; z <= kPhotoElements; ++z) {
    const int i = z - 1;
    photoe_first[i] = z;
    const double zd = z;
    const std::array<float, 4> a = {
        decimals(0.01 * zd, 2), decimals(0.1 * zd, 1), decimals(0.002 * zd * zd * zd, 3),
        decimals(0.0001 * zd * zd * zd * zd, 4)};
    d.pe[i][0] = {1.0f, a[0], a[1], a[2], a[3]};
    if (z < 11) {
      d.npe[i] = 1;
    } else {
      d.npe[i] = 2;
      const float ekz = sig_digits(0.0102 * (z - 1) * (z - 1), 4);
      d.pe[i][1] = {ekz, sig_digits(6.0 * a[0], 6), sig_digits(6.0 * a[1], 6),
                    sig_digits(6.0 * a[2], 6), sig_digits(6.0 * a[3], 6)};
    }
  }

  air_header = {"Mass energy-absorption coefficient of dry air (synthetic)",
                "log10(E/MeV)   log10(mu_en/rho / cm2 g-1)",
                "3 5 7 free text: 1,2,3 / 'quoted'",
                "",
                "------------------------------------------",
                "these eight lines are skipped",
                "   ",
                "begin"};
  for (int i = 0; i < kAirPoints; ++i) {
    const float le = decimals(-3.0 + 2.3 * i / 37.0, 4);
    d.airle[i] = le;
    d.airlm[i] = decimals(3.5 - 1.7 * (static_cast<double>(le) + 3.0), 4);
  }
}

const std::array<std::string, 17>& DbFixture::file_names() {
  static const std::array<std::string, 17> names = {
      "names", "wghts", "sinc", "scoh", "ek", "el1",    "el3",         "em1",        "xl",
      "xk",    "wk",    "wl",   "inscat", "v", "kshell_data", "photoe.data", "air"};
  return names;
}

std::string DbFixture::file_text(const std::string& name) const {
  const ElementData& d = data;
  std::string text;
  if (name == "names") {
    for (const std::string& n : d.names) {
      text += blanks(11) + n;
      if (n.size() < 16) text += blanks(static_cast<int>(16 - n.size()));
      text += "\n";
    }
  } else if (name == "wghts") {
    text = per_row_file(d.wghts);
  } else if (name == "sinc") {
    text = fit_file(d.sinc);
  } else if (name == "scoh") {
    text = fit_file(d.scoh);
  } else if (name == "ek") {
    text = per_row_file(d.ek);
  } else if (name == "el1") {
    text = per_row_file(d.el1);
  } else if (name == "el3") {
    text = per_row_file(d.el3);
  } else if (name == "em1") {
    text = per_row_file(d.em1);
  } else if (name == "xl") {
    text = per_row_file(d.xl);
  } else if (name == "xk") {
    text = per_row_file(d.xk);
  } else if (name == "wk") {
    text = per_row_file(d.wk);
  } else if (name == "wl") {
    text = per_row_file(d.wl);
  } else if (name == "inscat") {
    for (const auto& row : d.inscat) {
      for (int j = 0; j < kInscatValues; ++j) {
        text += blanks(1) + e13(row[j]);
        if (j % 4 == 3 || j == kInscatValues - 1) text += "\n";
      }
    }
  } else if (name == "v") {
    for (float v : d.v) text += blanks(10) + e13(v) + "\n";
  } else if (name == "kshell_data") {
    for (int32_t z : kshell_z) {
      text += std::to_string(z);
      const bool known = z >= 1 && z <= kKshellElements;
      for (int k = 0; k < 8; ++k) {
        float v = 0.0f;
        if (known) v = k < 4 ? d.ksha[z - 1][k] : d.kshb[z - 1][k - 4];
        text += " " + free_real(v);
      }
      text += "\n";
    }
  } else if (name == "photoe.data") {
    for (int i = 0; i < kPhotoElements; ++i) {
      text += std::to_string(photoe_first[i]) + " " + std::to_string(d.npe[i]) + "\n";
      const int n = std::min(d.npe[i], kMaxSegments);
      for (int j = 0; j < n; ++j) {
        for (int k = 0; k < 5; ++k) text += (k ? " " : "") + free_real(d.pe[i][j][k]);
        text += "\n";
      }
    }
  } else if (name == "air") {
    for (const std::string& line : air_header) text += line + "\n";
    for (int i = 0; i < kAirPoints; ++i) text += free_real(d.airle[i]) + "  " + free_real(d.airlm[i]) + "\n";
  } else {
    throw std::invalid_argument("DbFixture: no database file " + name);
  }
  return text;
}

void DbFixture::write(const std::string& datadir) const {
  const fs::path dir = fs::path(datadir) / "_database";
  fs::create_directories(dir);
  for (const std::string& name : file_names()) {
    std::optional<std::string> text;
    auto it = overrides.find(name);
    if (it != overrides.end()) {
      text = it->second;
    } else {
      text = file_text(name);
    }
    const fs::path p = dir / name;
    if (!text) {
      std::error_code ec;
      fs::remove(p, ec);
      continue;
    }
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << *text;
    if (!f) throw std::runtime_error("DbFixture: cannot write " + p.string());
  }
}

}  // namespace zelpra::test
