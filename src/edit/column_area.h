// Rectangular areas of the current file: marking their columns, and cutting,
// copying and pasting them as pieces, one piece of text per line.
#pragma once

#include <cstdint>
#include <string_view>

#include "store/line.h"

namespace qx {

inline constexpr std::string_view COLUMN_MENU =
    "Insert  Kill  Delete  Copy  Paste  Read  SaveAs  Xchng  Erase : ";
inline constexpr std::string_view COLUMN_CHOICES = "IKDCPRSXE";
// What ends the marking of lines: the left and right keys go on to mark columns;
// Kill, Delete and Copy need columns.
inline constexpr std::string_view COLUMN_LINE_CHOICES = ",.IPRSXE";

// Lines first through last and, in each, columns firstColumn through lastColumn
// (both 0 when no columns were marked), with the action chosen for them. The
// operations consult the action: Kill, Delete and Copy share one, and Paste
// behaves otherwise under Insert.
struct ColumnArea {
    Line* first;
    Line* last;
    int32_t count;          // lines from first through last
    int32_t firstColumn;
    int32_t lastColumn;     // never below firstColumn
    int32_t action;         // a letter of COLUMN_CHOICES
    int32_t actionIndex;    // its position there
    int32_t undoCopy;       // 'u' while the area is copied for an undo item, else 0
};

// Shows "<columns> columns x <lines> lines" followed by what was done.
void show_area_size(int32_t columns, int32_t lines, std::string_view done);
// Makes the area's first line (index `index`) current, the cursor column in view.
void enter_area(const ColumnArea& area, int32_t index);
// Marks columns on the first line of an area of lines, from the cursor column, as
// the user moves with the left, right, line-end and word keys, until a choice
// letter is typed; false when Enter cancels. The first line is current afterwards,
// with the cursor at the area's first column.
bool select_columns(ColumnArea& area, int32_t index, std::string_view choices);

// Kill, Delete, Copy: Copy and Delete replace the pieces with the area's, Kill
// and Delete take the columns out of the lines.
void column_cut(LineList& pieces, const ColumnArea& area);
// Pastes the pieces at the cursor column, one per line from the area's first
// line; the area then covers the lines the paste reached.
void column_paste(const LineList& pieces, ColumnArea& area);
// Pastes a blank piece as wide as the area into each of its lines that goes on
// past the cursor column.
void column_insert(ColumnArea& area);
// Releases the pieces; says so when the action is Erase.
void column_erase(LineList& pieces, const ColumnArea& area);

}  // namespace qx
