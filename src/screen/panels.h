// Full-screen panels, the Info command and the ViewScreen redraw.
#pragma once

#include <string_view>

namespace qx {

inline constexpr std::string_view VERSION_TEXT = "Linux QX v3.5g";

void ShowInfo();      // i
void ViewScreen();    // v

}  // namespace qx
