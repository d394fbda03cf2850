// One input through one of the readers, or through the whole run of a tool,
// in-process: the entry functions that the libFuzzer targets (tests/fuzz)
// call for every input they make, and that the unit test
// fuzz_regressions_test replays on every kept input.
//
// Every run must end in one of three ways: a normal return, a
// refusal (a RunEnd with exit status 8 and its lines for standard output), or
// the fatal input/output error (a RunEnd whose status is its error number).
// Anything else is a failure: another kind of RunEnd, an exception of any
// other type, a broken invariant of what a reader stored, or output that is
// not whole lines.  The sanitizers and the fuzzer's own time limit catch the
// rest (memory errors, undefined behaviour, hangs).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelpra::fuzz {

enum class Target {
  kListInput,   // free-form reads of every value type
  kFixedField,  // fixed-column fields, in and out
  kSpectrum,    // spectra.tmp records, the report block and a write/read cycle
  kMaterial,    // the material name on standard input and the material file
  kDetector,    // the detector name on standard input and the detector file
  kDatabase,    // edits of the 17 files of a valid database
  // The whole run of each tool (its main routine through run_tool): every
  // outcome must be one of the three ends as the program reports it, and a
  // run leaves the working directory as it was, but for a converter's
  // rewrite of spectra.tmp after a normal end.
  kAtlune,
  kTorvane,
  kDosix,
  kQuiset,
  kBrask,
  kFendo,
  kBelmor,
};

struct TargetInfo {
  Target target;
  const char* name;  // also the name of the corpus and regression directories
};

const std::vector<TargetInfo>& targets();

// False when `name` names no target.
bool target_by_name(std::string_view name, Target& target);

// Runs one input.  Returns an empty string when the outcome is one of the
// three accepted ends, else a description of what went wrong.
std::string run_one(Target target, const uint8_t* data, std::size_t size);

// For the database target: the 17 file names in reading order; the file
// byte of an edit picks one (modulo 17; see fuzz_entries.cpp).
const std::vector<std::string>& database_file_names();

// The bytes of the file at `path`; none when it does not open.
std::string slurp(const std::string& path);

// ---- The input of a tool target --------------------------------------------
//
// One byte of settings, then the parts of the run split at NUL bytes:
//   spectra.tmp \0 answers on standard input \0 material file \0 detector file
// The material and detector files are written as _materials/m and
// _detectors/d of the data directory, so that the answers m and d find them
// (the example data has files of its own besides).  A part that the input
// leaves out is no file: the settings byte alone is a run without
// spectra.tmp.  Answers that could name a file outside the scratch
// directory ("..") are passed over, as for the material target.
//
// The settings byte: bit 0 picks the data directory, the fixture (0) or the
// copy of the example data (1); bits 1-3 the condition the run meets.
enum class Condition {
  kPlain = 0,             // also 1 and 2
  kTemporaryTaken = 3,    // a directory stands at the writer's temporary name
  kLinkedSpectrum = 4,    // spectra.tmp is a symbolic link to linked/spectrum
  kNoDataDir = 5,         // ZELPRA_DIR is not set
  kFileSizeLimit = 6,     // no file may grow longer than the input
  kTemporariesTaken = 7,  // directories stand at both of its temporary names
};

// The settings byte of a tool target's input.
constexpr char settings_byte(bool example_data, Condition condition) {
  return static_cast<char>((example_data ? 1 : 0) | static_cast<int>(condition) << 1);
}

}  // namespace zelpra::fuzz
