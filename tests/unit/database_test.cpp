// The interaction database reader, the data directory and the path rule,
// against synthetic databases written by DbFixture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "cross_sections.h"
#include "data_dir.h"
#include "database.h"
#include "db_fixture.h"
#include "element_data.h"
#include "harness.h"
#include "text/run_end.h"

namespace zelpra {
namespace {

using test::DbFixture;
using test::ScratchDir;

// Sets ZELPRA_DIR (or removes it) for one test and restores it afterwards.
class ZelpraDir {
 public:
  explicit ZelpraDir(const std::optional<std::string>& value) {
    if (const char* old = std::getenv("ZELPRA_DIR")) saved_ = old;
    if (value) {
      setenv("ZELPRA_DIR", value->c_str(), 1);
    } else {
      unsetenv("ZELPRA_DIR");
    }
  }
  ~ZelpraDir() {
    if (saved_) {
      setenv("ZELPRA_DIR", saved_->c_str(), 1);
    } else {
      unsetenv("ZELPRA_DIR");
    }
  }

 private:
  std::optional<std::string> saved_;
};

// Runs READ_DATABASE and returns how the run ended, if it did.
std::optional<RunEnd> read_database() {
  try {
    READ_DATABASE();
  } catch (const RunEnd& end) {
    return end;
  }
  return std::nullopt;
}

TEST(ReadDatabase, CompleteFixtureReadsEveryTable) {
  ScratchDir dir;
  DbFixture db;
  db.write(dir.path());
  ZelpraDir env(dir.path());
  ASSERT_EQ(read_database(), std::nullopt);
  const ElementData& d = ELEMENT_DATA;
  const ElementData& w = db.data;
  EXPECT_EQ(d.names, w.names);
  EXPECT_EQ(d.wghts, w.wghts);
  EXPECT_EQ(d.sinc, w.sinc);
  EXPECT_EQ(d.scoh, w.scoh);
  EXPECT_EQ(d.ek, w.ek);
  EXPECT_EQ(d.el1, w.el1);
  EXPECT_EQ(d.el3, w.el3);
  EXPECT_EQ(d.em1, w.em1);
  EXPECT_EQ(d.xl, w.xl);
  EXPECT_EQ(d.xk, w.xk);
  EXPECT_EQ(d.wk, w.wk);
  EXPECT_EQ(d.wl, w.wl);
  EXPECT_EQ(d.inscat, w.inscat);
  EXPECT_EQ(d.v, w.v);
  EXPECT_EQ(d.ksha, w.ksha);
  EXPECT_EQ(d.kshb, w.kshb);
  EXPECT_EQ(d.npe, w.npe);
  EXPECT_EQ(d.pe, w.pe);
  EXPECT_EQ(d.airle, w.airle);
  EXPECT_EQ(d.airlm, w.airlm);
}

}  // namespace
}  // namespace zelpra
