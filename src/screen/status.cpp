#include "screen/status.h"

namespace qx {

// Nothing is drawn until the screen layer exists.
void ShowPromptLine(std::string_view) {}
void ShowMessage(std::string_view) {}
void ShowNotice(std::string_view, int32_t, int32_t) {}
void ClearNotice() {}
void PlaceCursor() {}
void ShowReadProgress(uint32_t) {}

}  // namespace qx
