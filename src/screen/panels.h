// Full-screen panels (Help, About, Status), the Info command and the ViewScreen
// redraw. A panel replaces the text until the user presses Enter.
#pragma once

#include <string_view>

namespace qx {

inline constexpr std::string_view VERSION_TEXT = "Linux QX v3.5g";
inline constexpr int HELP_LINE_COUNT = 31;
inline constexpr int ABOUT_LINE_COUNT = 17;

void OpenPanel(std::string_view suffix);
void ClosePanel();

void ShowHelp();      // h
void ShowAbout();     // A
void ShowStatus();    // s
void ShowInfo();      // i
void ViewScreen();    // v

}  // namespace qx
