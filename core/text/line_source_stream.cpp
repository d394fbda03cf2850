// A line source over a C++ stream, for callers that hold their text in one
// (the tests).  Apart from line_source.cpp so that the programs, which read
// no streams, link none of the stream library.
#include <istream>
#include <iterator>
#include <string>
#include <utility>

#include "text/line_source.h"

namespace zelpra {

LineSource::LineSource(std::istream& in, int unit, std::string name)
    : LineSource(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
                 unit, std::move(name)) {
  read_failed_ = in.bad();
}

}  // namespace zelpra
