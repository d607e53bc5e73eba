#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "support/qx_screen.h"

namespace qx::test {
namespace {

constexpr std::string_view OPEN_TITLE = "Linux QX v3.5g - Select/Type Filename to Open";
constexpr std::string_view FOOTER =
    "CurUp/CurDn/CurLeft/CurRight, PgUp/PgDn, ENTER (select entry), ESC-q (Quit)";

// The editor run from a directory inside the work directory.
void start_in(QxScreen& s, const std::string& cwd, std::vector<std::string> args = {}, int cols = 80,
              int rows = 24) {
    std::vector<std::string> argv = {qx_binary()};
    argv.insert(argv.end(), args.begin(), args.end());
    static_cast<TerminalSession&>(s).start({.argv = argv, .cols = cols, .rows = rows, .cwd = cwd});
    ASSERT_TRUE(s.wait_for_row_starts_with(1, std::string(cols, '-'))) << s.dump();
}

void make_dir(const QxScreen& s, const std::string& rel) { std::filesystem::create_directories(s.path(rel)); }

// A screen row with the given texts at their columns, without trailing blanks.
std::string laid_out(std::initializer_list<std::pair<int, std::string_view>> pieces) {
    std::string row(200, ' ');
    for (auto [col, text] : pieces) row.replace(col, text.size(), text);
    return row.substr(0, row.find_last_not_of(' ') + 1);
}

std::string value_at(const QxScreen& s, int row, int col) {
    std::string r = s.row(row);
    r = r.substr(col);
    return r.substr(0, r.find_last_not_of(' ') + 1);
}

// Browser geometry on a screen: entry k's marker cell.
struct Grid {
    int columns, width;
    Pos marker(int k) const { return {5 + k / columns, 2 + (k % columns) * width}; }
    Pos name(int k) const { return {5 + k / columns, 3 + (k % columns) * width}; }
};
const Grid GRID80{2, 39};

// The Edit menu's File entry, waiting until the browser rests on its first entry.
void open_browser(QxScreen& s) {
    s.esc("e");
    ASSERT_TRUE(s.wait_for_row_starts_with(0, "File  New  Menu  + : ")) << s.dump();
    s.type("F");
    QX_ASSERT_SCREEN(s, s.find(OPEN_TITLE) && s.cursor() == (Pos{5, 2}) && s.row(s.rows() - 1).starts_with(FOOTER));
}

// The browser's current entry: the marker where expected and its name in "Curr File:".
bool at_entry(const QxScreen& s, const Grid& g, int k, std::string_view name) {
    Pos m = g.marker(k);
    return s.row(m.row)[m.col] == '>' && value_at(s, s.rows() - 4, 14) == name && s.cursor() == m;
}

TEST(Selector, BrowserPagesOn80And132Columns) {
    struct Case {
        int cols, rows;
        Grid grid;
    } cases[] = {{80, 24, {2, 39}}, {132, 30, {4, 32}}};
    const std::vector<std::string> order = {".", "..", "d1", "d2", "a.txt", "b.txt", "c.txt"};
    for (const Case& c : cases) {
        QxScreen s({}, c.cols, c.rows);
        for (const char* f : {"c.txt", "a.txt", "b.txt"}) s.write_file(f, "x\n");
        make_dir(s, "d2");
        make_dir(s, "d1");
        ASSERT_TRUE(s.start_editing()) << s.dump();
        open_browser(s);

        // The title centred on row 0, the page indicator near its end.
        std::string top = s.row(0);
        EXPECT_EQ(top.find(OPEN_TITLE), static_cast<std::size_t>((c.cols - OPEN_TITLE.size()) / 2)) << s.dump();
        EXPECT_EQ(top.substr(c.cols - 14, 8), "Page 1/1") << s.dump();
        EXPECT_EQ(s.row(3).substr(0, 12), "  Curr Dir: ");
        EXPECT_EQ(value_at(s, 3, 12), s.workdir());
        EXPECT_EQ(s.row(c.rows - 4).substr(0, 14), "  Curr File:  ");
        EXPECT_EQ(value_at(s, c.rows - 4, 14), ".");
        EXPECT_EQ(s.row(c.rows - 2), std::string(c.cols, '-'));

        // Directories first, then the files, both in alphabetical order, row by row.
        for (std::size_t k = 0; k < order.size(); ++k) {
            Pos p = c.grid.name(static_cast<int>(k));
            std::string cell = s.row(p.row).substr(p.col, order[k].size() + 1);
            EXPECT_EQ(cell, order[k] + " ") << c.cols << " entry " << k << "\n" << s.dump();
            bool directory = k < 4;
            EXPECT_EQ(s.cell_attrs(p.row, p.col).underline, directory) << order[k];
            EXPECT_EQ(s.cell_attrs(p.row, p.col).fg, directory ? 4 : CellAttrs::kDefaultColor) << order[k];
        }
        EXPECT_EQ(s.row(5)[2], '>');
        EXPECT_EQ(s.cell_attrs(5, 2).fg, 1) << "the marker stands out in red";
        int last_row = 5 + static_cast<int>(order.size() - 1) / c.grid.columns;
        EXPECT_EQ(s.row_trimmed(last_row + 1), "") << "nothing after the last entry\n" << s.dump();
    }
}

TEST(Selector, MotionWrapsAroundTheEntries) {
    QxScreen s;
    for (const char* f : {"a.txt", "b.txt", "c.txt"}) s.write_file(f, "x\n");
    make_dir(s, "d1");
    make_dir(s, "d2");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    open_browser(s);
    // Entries: . .. / d1 d2 / a.txt b.txt / c.txt
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 2, "d1") && s.row(5)[2] == ' ');
    s.key(Key::Right);
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 3, "d2") && s.row(6)[2] == ' ');
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 5, "b.txt"));
    s.key(Key::Down);   // below b.txt there is no entry: back to the first
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 0, "."));
    s.key(Key::Up);     // above the first: the last
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 6, "c.txt") && s.row(5)[2] == ' ');
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 0, "."));
    s.key(Key::Left);
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 6, "c.txt"));
    s.key(Key::Right);
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 0, "."));
    s.esc("q");
    QX_ASSERT_SCREEN(s, s.message80() == "No File Selected to Open" && s.row_trimmed(1) == std::string(80, '-'));
}

TEST(Selector, PagesTurnAndWrapAround) {
    QxScreen s;
    // 40 files and the two directory entries: 42 entries, 28 to a page of 14 rows.
    for (int i = 0; i < 40; ++i) s.write_file("f" + std::string(i < 10 ? "0" : "") + std::to_string(i), "");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    open_browser(s);
    QX_ASSERT_SCREEN(s, s.row(0).substr(66, 8) == "Page 1/2" && s.row_trimmed(18) == laid_out({{3, "f24"}, {42, "f25"}}));
    s.key(Key::PageDown);
    QX_ASSERT_SCREEN(s, s.row(0).substr(66, 8) == "Page 2/2" && at_entry(s, GRID80, 0, "f26") &&
                            s.row_trimmed(11) == laid_out({{3, "f38"}, {42, "f39"}}));
    s.key(Key::PageDown);   // beyond the last entry: the first page again
    QX_ASSERT_SCREEN(s, s.row(0).substr(66, 8) == "Page 1/2" && at_entry(s, GRID80, 0, "."));
    s.key(Key::PageUp);     // before the first entry: the last one
    QX_ASSERT_SCREEN(s, s.row(0).substr(66, 8) == "Page 2/2" && at_entry(s, GRID80, 13, "f39"));
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.row(0).substr(66, 8) == "Page 1/2" && at_entry(s, GRID80, 0, "."));
}

TEST(Selector, EntersDirectoriesAndGoesUp) {
    QxScreen s;
    make_dir(s, "sub/inner");
    s.write_file("z.txt", "");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    open_browser(s);
    s.key(Key::Down);   // . .. / sub z.txt
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 2, "sub"));
    s.key(Key::Enter);
    // Inside, the position chosen outside is kept: entry 2 is "inner".
    QX_ASSERT_SCREEN(s, value_at(s, 3, 12) == s.workdir() + "/sub" && at_entry(s, GRID80, 2, "inner"));
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, value_at(s, 3, 12) == s.workdir() + "/sub/inner");
    s.key(Key::Up, Mod::Shift);
    QX_ASSERT_SCREEN(s, value_at(s, 3, 12) == s.workdir() + "/sub" && at_entry(s, GRID80, 0, "."));
    s.esc("-");
    QX_ASSERT_SCREEN(s, value_at(s, 3, 12) == s.workdir());
    // ".." chosen as an entry works like the key.
    s.key(Key::Right);
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 1, ".."));
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, value_at(s, 3, 12) == s.workdir().substr(0, s.workdir().rfind('/')));

    // Typing a directory's full path goes there; ".." at the root stays there.
    s.type("/");
    QX_ASSERT_SCREEN(s, value_at(s, s.rows() - 4, 14) == "/" && s.cursor() == (Pos{20, 15}));
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, value_at(s, 3, 12) == "/" && at_entry(s, GRID80, 0, "."));
    s.key(Key::Right);
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 1, ".."));
    s.esc("-");   // a typed ".." starts the listing at its first entry
    QX_ASSERT_SCREEN(s, value_at(s, 3, 12) == "/" && at_entry(s, GRID80, 0, "."));
    s.key(Key::Right);
    QX_ASSERT_SCREEN(s, at_entry(s, GRID80, 1, ".."));
    s.key(Key::Enter);   // the entry keeps its place
    QX_ASSERT_SCREEN(s, value_at(s, 3, 12) == "/" && at_entry(s, GRID80, 1, "..") && s.row(6)[2] == ' ');

    // Leaving the browser puts the editor back where it started.
    s.esc("q");
    QX_ASSERT_SCREEN(s, s.message80() == "No File Selected to Open");
    open_browser(s);
    EXPECT_EQ(value_at(s, 3, 12), s.workdir());
}

TEST(Selector, ChosenPathsAreRelativeToTheStartDirectory) {
    QxScreen s({}, 132, 30);
    s.write_file("top/start/src/lib/x.c", "int x;\n");
    s.write_file("top/sibling/y.txt", "y\n");
    s.write_file("else/z.txt", "z\n");
    start_in(s, "top/start", {}, 132, 30);
    const Grid grid{4, 32};
    auto open_with = [&](auto&& steps) {
        s.esc("e");
        ASSERT_TRUE(s.wait_for_row_starts_with(0, "File  New  Menu  + : ")) << s.dump();
        s.type("F");
        QX_ASSERT_SCREEN(s, s.find(OPEN_TITLE) && s.cursor() == (Pos{5, 2}) && s.row(29).starts_with(FOOTER));
        steps();
    };
    // The Status panel shows the whole name.
    auto expect_current_name = [&](const std::string& name) {
        s.esc("s");
        QX_EXPECT_SCREEN(s, s.row_trimmed(3) == "Curr Filename:   " + name && s.row_trimmed(5).starts_with("File format:"));
        s.key(Key::Enter);
        QX_EXPECT_SCREEN(s, !s.find("Curr Filename:") && s.cursor() == (Pos{2, 0}));
    };

    // Below the start directory: typed directory names, then an entry.
    open_with([&] {
        s.type("src");
        s.key(Key::Enter);
        QX_ASSERT_SCREEN(s, value_at(s, 3, 12).ends_with("/top/start/src") && at_entry(s, grid, 0, "."));
        s.type("lib");
        s.key(Key::Enter);
        QX_ASSERT_SCREEN(s, value_at(s, 3, 12).ends_with("/src/lib") && at_entry(s, grid, 0, "."));
        s.key(Key::Right);
        s.key(Key::Right);
        QX_ASSERT_SCREEN(s, at_entry(s, grid, 2, "x.c"));
        s.key(Key::Enter);
    });
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("src/lib/x.c ") && s.row_trimmed(2) == "int x;");

    // A sibling of the start directory.
    open_with([&] {
        s.key(Key::Up, Mod::Shift);
        QX_ASSERT_SCREEN(s, value_at(s, 3, 12).ends_with("/top") && at_entry(s, grid, 0, "."));
        s.key(Key::Right);
        s.key(Key::Right);   // . .. sibling start
        QX_ASSERT_SCREEN(s, at_entry(s, grid, 2, "sibling"));
        s.key(Key::Enter);
        QX_ASSERT_SCREEN(s, value_at(s, 3, 12).ends_with("/top/sibling") && at_entry(s, grid, 2, "y.txt"));
        s.key(Key::Enter);
    });
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("../sibling/y.txt ") && s.row_trimmed(2) == "y");

    // Elsewhere: the full path.
    open_with([&] {
        s.type(s.workdir() + "/else");
        s.key(Key::Enter);
        QX_ASSERT_SCREEN(s, value_at(s, 3, 12) == s.workdir() + "/else" && at_entry(s, grid, 0, "."));
        s.double_click(grid.name(2).col, grid.name(2).row);
    });
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "z");
    expect_current_name(s.workdir() + "/else/z.txt");

    // And the start directory itself: the name alone, chosen with the mouse.
    s.write_file("top/start/here.txt", "here\n");
    open_with([&] {
        s.click(grid.name(3).col + 5, grid.name(3).row);   // . .. src here.txt
        QX_ASSERT_SCREEN(s, at_entry(s, grid, 3, "here.txt"));
        s.key(Key::Enter);
    });
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("here.txt ") && s.row_trimmed(2) == "here");
    expect_current_name("here.txt");
}

TEST(Selector, TypedNamesThatDoNotExistAndCancel) {
    QxScreen s({"a.txt"});
    s.write_file("a.txt", "a\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    open_browser(s);
    // Typing replaces the shown name; the line editor works on it in place.
    s.type("nothre.txt");
    QX_ASSERT_SCREEN(s, value_at(s, 20, 14) == "nothre.txt" && s.cursor() == (Pos{20, 24}));
    s.key(Key::Left);
    s.key(Key::Left);
    s.key(Key::Left);
    s.key(Key::Left);
    s.key(Key::Left);
    s.key(Key::Backspace);
    s.type("er");
    QX_ASSERT_SCREEN(s, value_at(s, 20, 14) == "nothere.txt" && s.cursor() == (Pos{20, 20}));
    s.key(Key::Enter);
    // The Edit menu cannot open it and says so when the menu closes.
    QX_ASSERT_SCREEN(s, s.message80() == "Could not open requested file" && s.row(0).starts_with("a.txt ") &&
                            s.row_trimmed(2) == "a");
    EXPECT_FALSE(s.file_exists("nothere.txt"));

    // Cancelling after moving about and starting a name chooses nothing.
    open_browser(s);
    s.key(Key::Down);
    s.type("zz");
    s.esc("q");
    QX_ASSERT_SCREEN(s, s.message80() == "No File Selected to Open" && s.row_trimmed(2) == "a" &&
                            s.cursor() == (Pos{2, 0}));
}

TEST(Selector, OpenFileTableListsCountsAndChanges) {
    QxScreen s({"a.txt", "b.txt"});
    s.write_file("a.txt", "one\ntwo\n");
    s.write_file("b.txt", "three\r\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.type("x");   // a.txt changes
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "xone");
    s.esc("g");
    QX_ASSERT_SCREEN(s, s.find("Linux QX v3.5g - Select File to Switch To") && s.cursor() == (Pos{5, 2}) &&
                            s.row(23).starts_with(FOOTER));
    EXPECT_EQ(s.row_trimmed(3), laid_out({{2, "Filename"}, {55, "Lines"}, {63, "Chars"}, {72, "Changed"}}));
    EXPECT_TRUE(s.cell_attrs(3, 2).underline && s.cell_attrs(3, 72).underline);
    EXPECT_EQ(s.row_trimmed(5), laid_out({{2, ">a.txt"}, {55, "2"}, {63, "9"}, {72, "Yes"}}));
    EXPECT_EQ(s.row_trimmed(6), laid_out({{3, "b.txt"}, {55, "1"}, {63, "7"}, {72, "No"}}));
    EXPECT_FALSE(s.cell_attrs(5, 3).underline) << "files are not highlighted";
    EXPECT_EQ(s.row(19).substr(0, 14), "  Curr Dir:   ");
    EXPECT_EQ(value_at(s, 19, 14), s.workdir());
    EXPECT_EQ(value_at(s, 20, 14), "a.txt");

    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.row(6)[2] == '>' && value_at(s, 20, 14) == "b.txt");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("b.txt ") && s.row_trimmed(2) == "three" && s.cursor() == (Pos{2, 0}));

    // A typed name is looked up among the open files.
    s.esc("g");
    QX_ASSERT_SCREEN(s, s.row(6)[2] == '>' && s.cursor() == (Pos{6, 2}) && s.row(23).starts_with(FOOTER));
    s.type("a.txt");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("a.txt ") && s.row_trimmed(2) == "xone");

    // One that is not open rings the bell and stays with the current file.
    s.esc("e");
    ASSERT_TRUE(s.wait_for_row_starts_with(0, "File  New  Menu  + : ")) << s.dump();
    s.type("M");
    QX_ASSERT_SCREEN(s, s.find("Select File to Switch To") && s.cursor() == (Pos{5, 2}) && s.row(23).starts_with(FOOTER));
    int bells = s.bell_count();
    s.type("c.txt");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.message80() == "Could not open requested file" && s.row(0).starts_with("a.txt ") &&
                            s.row_trimmed(2) == "xone" && s.bell_count() > bells);

    // Choosing an open file in the browser switches to it instead of opening it again.
    open_browser(s);
    s.type("b.txt");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("b.txt ") && s.row_trimmed(2) == "three");
    s.esc("g");
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{6, 2}) && s.row(23).starts_with(FOOTER) && s.row_trimmed(7) == "" &&
                            s.row(6)[2] == '>');
    s.esc("q");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("b.txt ") && s.cursor() == (Pos{2, 0}));
}

TEST(Selector, EditMenuRefusesThe257thFile) {
    std::vector<std::string> names;
    for (int i = 0; i < 256; ++i) names.push_back("n" + std::to_string(i));
    QxScreen s(names);
    s.start();
    ASSERT_TRUE(s.wait_for_text("> Any key to continue")) << s.dump();
    s.type(" ");
    ASSERT_TRUE(s.wait_for_text("256 files opened")) << s.dump();
    s.esc("e");
    ASSERT_TRUE(s.wait_for_row_starts_with(0, "File  New  Menu  + : ")) << s.dump();
    s.type("F");
    QX_ASSERT_SCREEN(s, s.message80() == "Cannot open any more files" && s.row(0).starts_with("n0 "));
}

}  // namespace
}  // namespace qx::test
