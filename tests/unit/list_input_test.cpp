// Free-form input: separators, nulls, slash, repeat counts, quoted text and
// the errors 24, 59 and 64.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

#include "text/list_input.h"
#include "text/run_end.h"

namespace zelpra {
namespace {

// Runs `body` with a source over `text` and returns the fatal error number
// it ended with, or 0.
template <typename Body>
int error_of(const std::string& text, Body body) {
  std::istringstream in(text);
  LineSource src(in, kUnitData, "f");
  try {
    body(src);
  } catch (const RunEnd& end) {
    return end.io_error;
  }
  return 0;
}

TEST(ListInput, ValuesSeparatorsAndRemainingLine) {
  std::istringstream in("  1, 2.5\t-3e2 remark\n\n\n 7 8\n9\n");
  LineSource src(in, kUnitData, "f");
  int32_t a = 0;
  float b = 0, c = 0;
  list_read(src, {ListItem::integer(a), ListItem::real(b), ListItem::real(c)});
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2.5f);
  EXPECT_EQ(c, -300.0f);
  // The remark was ignored; blank lines before a value are skipped; the rest
  // of the last line read (8) is ignored.
  int32_t d = 0;
  list_read(src, {ListItem::integer(d)});
  EXPECT_EQ(d, 7);
  list_read(src, {ListItem::integer(d)});
  EXPECT_EQ(d, 9);
}

TEST(ListInput, ValuesMayRunOverSeveralLines) {
  std::istringstream in("1\n2,\n3\n");
  LineSource src(in, kUnitData, "f");
  int32_t v[3] = {0, 0, 0};
  list_read(src, {ListItem::integer(v[0]), ListItem::integer(v[1]), ListItem::integer(v[2])});
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], 2);
  EXPECT_EQ(v[2], 3);
}

TEST(ListInput, ReadWithoutValuesSkipsOneLine) {
  std::istringstream in("anything 'unbalanced\n5\n");
  LineSource src(in, kUnitData, "f");
  list_read(src, {});
  int32_t v = 0;
  list_read(src, {ListItem::integer(v)});
  EXPECT_EQ(v, 5);
}

struct NullCase {
  const char* input;
  int32_t expected[3];
};

TEST(ListInput, NullsSlashAndRepeatCounts) {
  const NullCase cases[] = {
      {"1,,3\n", {1, -1, 3}},
      {",2,3\n", {-1, 2, 3}},
      {"1 , 2 , 3\n", {1, 2, 3}},
      {"1, ,3\n", {1, -1, 3}},
      {"1,\n,3\n", {1, -1, 3}},  // two commas with a line end between
      {"1\n,3\n4\n", {1, 3, 4}},  // a comma after a line end only separates
      {"1 / 5 6\n", {1, -1, -1}},
      {"/\n", {-1, -1, -1}},
      {"1,2/\n", {1, 2, -1}},
      {"3*7\n", {7, 7, 7}},
      {"2*,9\n", {-1, -1, 9}},
      {"2* 9\n", {-1, -1, 9}},
      {"1 2*4\n", {1, 4, 4}},
      {"5*1 8\n", {1, 1, 1}},
      // Every copy of an r*c that a slash follows is given out first.
      {"1*4/ 8\n", {4, -1, -1}},
      {"2*4/ 8\n", {4, 4, -1}},
      {"3*13/\n", {13, 13, 13}},
      {"2*/ 8\n", {-1, -1, -1}},
  };
  for (const NullCase& c : cases) {
    std::istringstream in(c.input);
    LineSource src(in, kUnitData, "f");
    int32_t v[3] = {-1, -1, -1};
    list_read(src, {ListItem::integer(v[0]), ListItem::integer(v[1]), ListItem::integer(v[2])});
    for (int k = 0; k < 3; ++k) EXPECT_EQ(v[k], c.expected[k]) << c.input << " value " << k;
  }
}

TEST(ListInput, Reals) {
  struct {
    const char* input;
    float value;
  } cases[] = {
      {"1.0+5", 1.0e5f},   {"2.5D-1", 0.25f}, {"-.5", -0.5f},     {"+3.", 3.0f},
      {"1e0", 1.0f},       {"7", 7.0f},       {"-0", -0.0f},      {"1e-60", 0.0f},
      {"1.0000000596046448", 1.0000001192092896f},  // one rounding, straight to float
      {"0.1", 0.1f},       {"3.4028235e38", 3.4028235e38f},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    LineSource src(in, kUnitData, "f");
    float v = 99.0f;
    list_read(src, {ListItem::real(v)});
    EXPECT_EQ(v, c.value) << c.input;
    EXPECT_EQ(std::signbit(v), std::signbit(c.value)) << c.input;
  }
}

TEST(ListInput, RepeatedRealsAndTextsBeforeASlash) {
  std::istringstream in("2*4.8E-02/ remark\n2*'ab'/\n");
  LineSource src(in, kUnitData, "f");
  float r[3] = {-1.0f, -1.0f, -1.0f};
  list_read(src, {ListItem::real(r[0]), ListItem::real(r[1]), ListItem::real(r[2])});
  EXPECT_EQ(r[0], 4.8e-2f);
  EXPECT_EQ(r[1], 4.8e-2f);
  EXPECT_EQ(r[2], -1.0f);
  std::string t[3] = {"x", "x", "x"};
  list_read(src, {ListItem::text(t[0], 2), ListItem::text(t[1], 2), ListItem::text(t[2], 2)});
  EXPECT_EQ(t[0], "ab");
  EXPECT_EQ(t[1], "ab");
  EXPECT_EQ(t[2], "x");
}

TEST(ListInput, TextValues) {
  std::istringstream in("water remark\n'a b''c'\n\"x\"\"y\"\n'con\ntinued' z\n2*'r'\n");
  LineSource src(in, kUnitStdin, "stdin");
  std::string s;
  list_read(src, {ListItem::text(s, 8)});
  EXPECT_EQ(s, "water   ");
  list_read(src, {ListItem::text(s, 4)});
  EXPECT_EQ(s, "a b'");  // longer values keep their first characters
  list_read(src, {ListItem::text(s, 6)});
  EXPECT_EQ(s, "x\"y   ");
  list_read(src, {ListItem::text(s, 10)});
  EXPECT_EQ(s, "continued ");  // the line end adds nothing
  std::string t;
  list_read(src, {ListItem::text(s, 2), ListItem::text(t, 2)});
  EXPECT_EQ(s, "r ");
  EXPECT_EQ(t, "r ");
}

TEST(ListInput, UndelimitedTextEndsAtSeparators) {
  std::istringstream in("ab,cd/ef\n");
  LineSource src(in, kUnitStdin, "stdin");
  std::string s, t = "keep", u = "keep";
  list_read(src, {ListItem::text(s, 3), ListItem::text(t, 3), ListItem::text(u, 3)});
  EXPECT_EQ(s, "ab ");
  EXPECT_EQ(t, "cd ");
  EXPECT_EQ(u, "keep");
}

struct ErrorCase {
  const char* input;
  char kind;  // i integer, r real, t text
  int error;
};

TEST(ListInput, Errors) {
  const ErrorCase cases[] = {
      {"", 'i', kEndOfFile},
      {"\n\n", 'i', kEndOfFile},
      {"1.5\n", 'i', kSyntaxError},
      {"abc\n", 'i', kSyntaxError},
      {"1e3\n", 'i', kSyntaxError},
      {"'1'\n", 'i', kSyntaxError},
      {"+\n", 'i', kSyntaxError},
      {"2147483648\n", 'i', kConversionError},
      {"-2147483649\n", 'i', kConversionError},
      {"abc\n", 'r', kSyntaxError},
      {"NaN\n", 'r', kSyntaxError},
      {"Inf\n", 'r', kSyntaxError},
      {".\n", 'r', kSyntaxError},
      {"1.0E\n", 'r', kSyntaxError},
      {"'1.0'\n", 'r', kSyntaxError},
      {"1e39\n", 'r', kConversionError},
      {"-4e38\n", 'r', kConversionError},
      {"0*5\n", 'i', kSyntaxError},
      {"'ab'cd\n", 't', kSyntaxError},
      {"2*abc\n", 't', kSyntaxError},
      {"'never closed\n", 't', kEndOfFile},
  };
  for (const ErrorCase& c : cases) {
    int error = error_of(c.input, [&](LineSource& src) {
      int32_t i = 0;
      float r = 0;
      std::string t;
      if (c.kind == 'i') list_read(src, {ListItem::integer(i)});
      if (c.kind == 'r') list_read(src, {ListItem::real(r)});
      if (c.kind == 't') list_read(src, {ListItem::text(t, 10)});
    });
    EXPECT_EQ(error, c.error) << c.input;
  }
}

TEST(ListInput, TextLengthLimit) {
  std::string ok(2049, 'a'), too_long(2050, 'a');
  auto read_text = [](LineSource& src) {
    std::string t;
    list_read(src, {ListItem::text(t, 40)});
  };
  EXPECT_EQ(error_of(ok + "\n", read_text), 0);
  EXPECT_EQ(error_of(too_long + "\n", read_text), kSyntaxError);
  EXPECT_EQ(error_of("'" + too_long + "'\n", read_text), kSyntaxError);
}

TEST(ListInput, ErrorNamesUnitAndFile) {
  std::istringstream in("");
  LineSource src(in, kUnitStdin, "stdin");
  int32_t v = 0;
  try {
    list_read(src, {ListItem::integer(v)});
    FAIL();
  } catch (const RunEnd& end) {
    EXPECT_EQ(end.status, 24);
    EXPECT_EQ(end.stderr_line("fendo"), "fendo: severe (24): end-of-file during read, unit 5, file stdin\n");
  }
}

TEST(ListInput, CarriageReturnsBeforeLineEndsAreDropped) {
  std::istringstream in("'ab'\r\n3\r\n");
  LineSource src(in, kUnitStdin, "stdin");
  std::string s;
  int32_t v = 0;
  list_read(src, {ListItem::text(s, 3)});
  list_read(src, {ListItem::integer(v)});
  EXPECT_EQ(s, "ab ");
  EXPECT_EQ(v, 3);
}

}  // namespace
}  // namespace zelpra
