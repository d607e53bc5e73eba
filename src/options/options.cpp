#include "options/options.h"

namespace qx {

OptionsBlock Options = DEFAULT_OPTIONS;

}  // namespace qx
