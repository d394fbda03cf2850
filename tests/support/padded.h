// A name as the messages show it: padded with blanks, or cut, to its columns.
#pragma once

#include <cstddef>
#include <string>

namespace zelpra::test {

// `s` padded with blanks, or cut, to `n` characters: a name as the messages
// show it in its 40 columns.
inline std::string padded(std::string s, std::size_t n = 40) {
  s.resize(n, ' ');
  return s;
}

}  // namespace zelpra::test
