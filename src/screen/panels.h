// The frame of full-screen panels, the Info command and the ViewScreen redraw. The
// panels themselves wait for a key and live above the key reader (app/panels.h).
#pragma once

#include <string_view>

namespace qx {

inline constexpr std::string_view VERSION_TEXT = "Linux QX v3.5g";

void OpenPanel(std::string_view suffix);
void ShowInfo();      // i
void ViewScreen();    // v

}  // namespace qx
