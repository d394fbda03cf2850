#include "element_data.h"

namespace zelpra {

ElementData ELEMENT_DATA;

// Rows 1..83 are atomic numbers 1..83; thorium and uranium follow as rows 84
// and 85.  Polonium, astatine and the rest have no row.
int element_row(int32_t z) {
  if (z == 90) return 84;
  if (z == 92) return 85;
  if (z >= 1 && z <= 83) return z;
  return 0;
}

}  // namespace zelpra
