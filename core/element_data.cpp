#include "element_data.h"

namespace zelpra {

ElementData ELEMENT_DATA;

}  // namespace zelpra
