#include "input/macro.h"

namespace qx {

LineList Macros;

}  // namespace qx
