#include "input/macro.h"

namespace qx {

MacroStateRecord MacroState{MACRO_IDLE, nullptr, 0, 0, nullptr};
LineList Macros;

}  // namespace qx
