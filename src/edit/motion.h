// Cursor motion, paging and scrolling. None of these change the text.
#pragma once

#include <cstdint>

namespace qx {

inline constexpr int32_t MOTION_UP = 'H', MOTION_DOWN = 'P', MOTION_LEFT = 'K', MOTION_RIGHT = 'M';

void cursor_left();          // ,
void cursor_right();         // .
void cursor_up();            // ^
void cursor_down();          // $
void screen_home();          // H
void screen_middle();        // M
void screen_last();          // L
void start_of_line();        // <
void end_of_line();          // >
void page_up();              // B
void page_down();            // F
void scroll_up();            // -
void scroll_down();          // +
void scroll_left();          // (
void scroll_right();         // )
void ext_motion();           // ;
void ext_motion_screen();    // :

}  // namespace qx
