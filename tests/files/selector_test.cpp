#include "files/selector.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/editor_test.h"
#include "support/temp_dir.h"

namespace qx {
namespace {

// Entry columns, column width, entry rows, page capacity, first entry row and
// column, "Curr Dir:" row and value column, "Curr File:" row and value column.
std::vector<int32_t> fields(const SelectorLayout& l) {
    return {l.entryColumns, l.columnWidth,  l.entryRows, l.pageCapacity,         l.firstRow,
            l.firstColumn,  l.directoryRow, l.directoryValueColumn, l.fileRow, l.fileValueColumn};
}

TEST(SelectorLayout, RowsColumnsAndFieldsOfBothFaces) {
    struct Case {
        SelectorFace face;
        int32_t rows, columns;
        std::vector<int32_t> fields;
    } cases[] = {
        {SelectorFace::Browser, 24, 80, {2, 39, 14, 28, 5, 2, 3, 12, 20, 14}},   // 18 spare columns over 2
        {SelectorFace::Browser, 24, 132, {4, 32, 14, 56, 5, 2, 3, 12, 20, 14}},  // 10 over 4, the rest unused
        {SelectorFace::Browser, 24, 92, {3, 30, 14, 42, 5, 2, 3, 12, 20, 14}},   // exactly filled
        {SelectorFace::Browser, 24, 93, {3, 30, 14, 42, 5, 2, 3, 12, 20, 14}},   // one spare is not enough
        {SelectorFace::Browser, 43, 132, {4, 32, 33, 132, 5, 2, 3, 12, 39, 14}},
        {SelectorFace::Browser, 24, 511, {16, 31, 14, 224, 5, 2, 3, 12, 20, 14}},
        {SelectorFace::Table, 24, 80, {1, 53, 12, 12, 5, 2, 19, 14, 20, 14}},
        {SelectorFace::Table, 20, 511, {1, 484, 8, 8, 5, 2, 15, 14, 16, 14}},
    };
    for (const Case& c : cases) {
        SelectorLayout l = selector_layout(c.face, c.rows, c.columns);
        EXPECT_EQ(fields(l), c.fields) << c.rows << "x" << c.columns;
        EXPECT_EQ(l.valueWidth, c.columns - 16);
        EXPECT_EQ(l.pageColumn, c.columns - 14);
    }
}

TEST(SelectorPaths, ResultIsWrittenFromTheStartDirectory) {
    const char* cases[][4] = {
        // start, directory, chosen name, result
        {"/home/u", "/home/u", "a.txt", "a.txt"}, {"/home/u", "/home/u/src/lib", "a.c", "src/lib/a.c"},
        {"/home/u", "/home/w", "b.txt", "../w/b.txt"}, {"/home/u", "/etc", "passwd", "/etc/passwd"},
        {"/home/u", "/home", "x", "/home/x"}, {"/home/u", "/home/w/deeper", "x", "/home/w/deeper/x"},
        // Names that only begin like the start directory are not below it.
        {"/home/u", "/home/user", "x", "../user/x"}, {"/a/b/c", "/a/b/cd/e", "x", "/a/b/cd/e/x"},
        {"/", "/etc", "hosts", "etc/hosts"}, {"/", "/", "f", "f"}, {"/home", "/", "f", "/f"},
        {"/home", "/etc", "f", "../etc/f"},
        // A typed full path stays what it is; nothing chosen stays nothing.
        {"/home/u", "/etc", "/tmp/n.txt", "/tmp/n.txt"}, {"/home/u", "/etc", "", ""},
    };
    for (auto& c : cases) EXPECT_EQ(path_from_start(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << " " << c[2];
}

TEST(SelectorPaths, DirectoryMoves) {
    const char* cases[][3] = {{"/home/u", "..", "/home"}, {"/home", "..", "/"}, {"/", "..", "/"},
                              {"/home/u", ".", "/home/u"}, {"/home/u", "src", "/home/u/src"}, {"/", "etc", "/etc"},
                              {"/home/u", "/var/log", "/var/log"}, {"/home/u", "src/lib", "/home/u/src/lib"}};
    for (auto& c : cases) EXPECT_EQ(enter_directory(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

// The selector on a real directory tree: the browser of files to open, and the
// table of open files; and the Edit menu's file commands and switching files.
class SelectorTest : public test::EditorTest {
protected:
    test::TempDir dir;
    test::InDir in{dir.path()};
    std::string workdir = std::filesystem::current_path().string();
    SelectorLayout grid = selector_layout(SelectorFace::Browser, 24, 80);

    void make(std::initializer_list<std::string> files, std::initializer_list<std::string> dirs = {}) {
        for (const std::string& d : dirs) std::filesystem::create_directories(d);
        for (const std::string& f : files) dir.write(f, "x\n");
    }
    const test::FakeShot& shot(std::size_t n) {
        static const test::FakeShot none{std::vector<std::string>(24), {}, {-1, -1}};
        return n < waits().size() ? waits()[n] : none;
    }
    // What a row of shot n shows from column col.
    std::string value(std::size_t n, int r, std::size_t col) {
        const std::string& s = shot(n).rows[r];
        return s.size() > col ? s.substr(col) : "";
    }
    Pos marker(int k) { return {grid.firstRow + k / grid.entryColumns, grid.firstColumn + (k % grid.entryColumns) * grid.columnWidth}; }
    // Shot n rests on entry k: the marker there, its name in "Curr File:".
    ::testing::AssertionResult at(std::size_t n, int k, std::string_view name) {
        Pos m = marker(k);
        const test::FakeShot& s = shot(n);
        int32_t file_row = static_cast<int32_t>(s.rows.size()) - 4;
        if (s.rows[m.row].size() > std::size_t(m.col) && s.rows[m.row][m.col] == '>' && value(n, file_row, 14) == name &&
            s.cursor == m)
            return ::testing::AssertionSuccess();
        auto failure = ::testing::AssertionFailure() << "look " << n << ", cursor " << s.cursor.row << "," << s.cursor.col;
        for (const std::string& r : s.rows) failure << "\n|" << r;
        return failure;
    }
};

// Switching between files read from disk keeps each file's screen.
TEST_F(SelectorTest, NextFileSwitchesAndComesBackToTheSameScreen) {
    auto numbered_text = [](int n, const std::string& prefix) {
        std::string text;
        for (int i = 1; i <= n; ++i) text += prefix + std::to_string(i) + "\n";
        return text;
    };
    // Rows 1 to 23 and the cursor: everything a file's view decides.
    auto view_of = [&] { return std::pair{rows(1, 23), cursor()}; };
    std::string pattern;
    for (int i = 0; i < 150; ++i) pattern += static_cast<char>('a' + i % 23);
    dir.write("a.txt", numbered_text(29, "alpha ") + pattern + "\n" + numbered_text(30, "alpha tail "));
    dir.write("b.txt", numbered_text(40, "beta "));
    open_files({"a.txt", "b.txt"});

    // In a.txt: line 30 on the last row, the view scrolled sideways to its end.
    keys("\x1b" "29");
    keys({CODE_DOWN});
    keys({CODE_END});
    EXPECT_TRUE(shows(23, {pattern.substr(81)}, {23, 69}));
    const auto a_view = view_of();

    keys("\x1bn");
    EXPECT_TRUE(row(0).starts_with("b.txt ") && row(0).substr(71) == "      INS");
    EXPECT_TRUE(shows(2, {"beta 1"}, {2, 0}));
    EXPECT_EQ(row(23), "beta 22");
    keys({CODE_DOWN, CODE_DOWN, CODE_RIGHT});
    const auto b_view = view_of();
    EXPECT_EQ(b_view.second, (Pos{4, 1}));

    // The last file wraps to the first, which shows what it showed.
    keys("\x1bn");
    EXPECT_TRUE(row(0).starts_with("a.txt ") && view_of() == a_view && row(0).substr(71, 2) == "<-");
    keys("!");
    EXPECT_TRUE(shows(23, {pattern.substr(81) + "!"}, {23, 70}));
    keys("\x1bn");
    EXPECT_TRUE(row(0).starts_with("b.txt ") && view_of() == b_view);
    keys("\x1bi");
    EXPECT_EQ(shown_message(), "ln:3 col:2  7% (40 lines)");
}

// NextFile alone refuses. The Edit menu steps through the files; New opens an
// unnamed one at column 0 while the others keep their sideways views.
TEST_F(SelectorTest, EditMenuStepsThroughTheFilesAndOpensNewOnes) {
    const std::string long_name = "abcdefghij0123456789ABCDEFGHIJ", menu = "File  New  Menu  + : ";
    open({std::string(200, 'w')}, 0, 0, "a.txt");
    keys("\x1bn");
    EXPECT_EQ(shown_message(), "Only 1 file open");
    EXPECT_EQ(bells(), 1);
    test::open_test_file({"long"}, 'u', long_name.c_str());
    keys("\x1bn");
    keys({CODE_END});
    // The menu on row 0 with the current file's name at its end; other keys ring the bell.
    keys({ESC, 'e', 'x', CODE_DOWN});
    ASSERT_EQ(waits().size(), 1u);
    EXPECT_TRUE(waits()[0].rows[0].starts_with(menu) && waits()[0].rows[0].ends_with(" a.txt"));
    EXPECT_EQ(waits()[0].cursor, (test::ScreenPos{0, 21}));
    EXPECT_EQ(bells(), 3);
    // "+" steps through the files, a long name shortened as on the status line.
    keys({ESC, 'e', '+'});
    ASSERT_EQ(waits().size(), 1u);
    EXPECT_TRUE(waits()[0].rows[0].ends_with(" ..." + long_name.substr(11))) << waits()[0].rows[0];
    EXPECT_EQ(row(0).substr(0, 22), "..." + long_name.substr(11));
    EXPECT_TRUE(shows(2, {"long"}, {2, 0}));
    // New opens an unnamed file, after the others.
    keys({ESC, 'e', 'n'});
    EXPECT_EQ(row(0).substr(71, 2), "  ");
    keys("new");
    EXPECT_EQ(row(0).substr(0, 13), "Unnamed File ");
    EXPECT_TRUE(shows(2, {"new"}, {2, 3}));
    keys("\x1bn");
    EXPECT_EQ(row(0).substr(0, 6), "a.txt ");
    EXPECT_EQ(row(0).substr(71, 2), "<-");
    EXPECT_TRUE(shows(2, {std::string(69, 'w')}, {2, 69}));
}

// A row with the given texts at their columns, without trailing blanks.
std::string laid_out(std::initializer_list<std::pair<int, std::string_view>> pieces) {
    std::string row(200, ' ');
    for (auto [col, text] : pieces) row.replace(col, text.size(), text);
    return row.substr(0, row.find_last_not_of(' ') + 1);
}

constexpr std::string_view OPEN_TITLE = "Linux QX v3.5g - Select/Type Filename to Open";
constexpr std::string_view FOOTER = "CurUp/CurDn/CurLeft/CurRight, PgUp/PgDn, ENTER (select entry), ESC-q (Quit)";
const char* const BROWSE = "\x1b" "eF" "\xff";

// On 132 columns (the other tests run on 80): the page, its frame and its entries.
TEST_F(SelectorTest, APageOf132Columns) {
    const std::vector<std::string> order = {".", "..", "d1", "d2", "a.txt", "b.txt", "c.txt"};
    make({"c.txt", "a.txt", "b.txt"}, {"d2", "d1"});
    resize(30, 132);
    grid = selector_layout(SelectorFace::Browser, 30, 132);
    open({""});
    press(BROWSE, "\x1bq");
    const auto& s = shot(0);
    EXPECT_EQ(s.rows[0].find(OPEN_TITLE), (132 - OPEN_TITLE.size()) / 2);
    EXPECT_EQ(s.rows[0].substr(132 - 14, 8), "Page 1/1");
    EXPECT_EQ(s.rows[3], "  Curr Dir: " + workdir);
    EXPECT_EQ(s.rows[26], "  Curr File:  .");
    EXPECT_EQ(s.rows[28], std::string(132, '-'));
    EXPECT_TRUE(s.rows[29].starts_with(FOOTER));
    // Directories first, then the files, both in alphabetical order, row by row.
    for (std::size_t k = 0; k < order.size(); ++k) {
        Pos p = marker(int(k));
        EXPECT_EQ((s.rows[p.row] + " ").substr(p.col + 1, order[k].size() + 1), order[k] + " ") << " entry " << k;
        uint32_t a = s.attrs[p.row][p.col + 1];
        bool directory = k < 4;
        EXPECT_EQ((a & TERM_UNDERLINE) != 0, directory) << order[k];
        EXPECT_EQ(test::fake_screen().fg(a) == TERM_BLUE, directory) << order[k];
    }
    EXPECT_TRUE(at(0, 0, "."));
    EXPECT_EQ(test::fake_screen().fg(s.attrs[5][2]), TERM_RED) << "the marker stands out in red";
    EXPECT_EQ(s.rows[7], "") << "nothing after the last entry";
}

TEST_F(SelectorTest, MotionWrapsAroundTheEntriesAndPages) {
    make({"a.txt", "b.txt", "c.txt"}, {"d1", "d2"});
    open({""});
    // Entries: . .. / d1 d2 / a.txt b.txt / c.txt
    press(BROWSE, CODE_DOWN, LOOK, CODE_RIGHT, LOOK, CODE_DOWN, LOOK, CODE_DOWN, LOOK, CODE_UP, LOOK, CODE_DOWN, LOOK,
          CODE_LEFT, LOOK, CODE_RIGHT, LOOK, "\x1bq");
    std::pair<int, const char*> steps[] = {{0, "."},     {2, "d1"}, {3, "d2"},     {5, "b.txt"}, {0, "."},
                                           {6, "c.txt"}, {0, "."},  {6, "c.txt"}, {0, "."}};
    for (std::size_t n = 0; n < std::size(steps); ++n) EXPECT_TRUE(at(n, steps[n].first, steps[n].second));
    EXPECT_EQ(shot(1).rows[5][2], ' ');
    EXPECT_EQ(shown_message(), "No File Selected to Open");

    // 40 files and the two directory entries: 42 entries, 28 to a page of 14 rows.
    for (int i = 0; i < 40; ++i) dir.write("f" + std::string(i < 10 ? "0" : "") + std::to_string(i), "");
    std::filesystem::remove_all("d1"), std::filesystem::remove_all("d2");
    for (const char* f : {"a.txt", "b.txt", "c.txt"}) std::filesystem::remove(f);
    press(BROWSE, CODE_NPAGE, LOOK, CODE_NPAGE, LOOK, CODE_PPAGE, LOOK, CODE_DOWN, LOOK, "\x1bq");
    EXPECT_EQ(shot(0).rows[18], laid_out({{3, "f24"}, {42, "f25"}}));
    EXPECT_EQ(shot(1).rows[11], laid_out({{3, "f38"}, {42, "f39"}}));
    std::tuple<const char*, int, const char*> pages[] = {
        {"Page 1/2", 0, "."}, {"Page 2/2", 0, "f26"}, {"Page 1/2", 0, "."}, {"Page 2/2", 13, "f39"}, {"Page 1/2", 0, "."}};
    for (std::size_t n = 0; n < std::size(pages); ++n) {
        auto [page, k, name] = pages[n];
        EXPECT_EQ(shot(n).rows[0].substr(66, 8), page) << n;
        EXPECT_TRUE(at(n, k, name));
    }
}

TEST_F(SelectorTest, EntersDirectoriesAndGoesUp) {
    make({"z.txt"}, {"sub/inner"});
    open({""});
    std::string parent = workdir.substr(0, workdir.rfind('/'));
    // . .. / sub z.txt; inside, the position chosen outside is kept: entry 2 is "inner".
    press(BROWSE, CODE_DOWN, LOOK, "\n", LOOK, "\n", LOOK, KEY_SHIFT_UP, LOOK, "\x1b-", LOOK, CODE_RIGHT, LOOK, "\n", LOOK,
          "\x1bq");
    EXPECT_TRUE(at(1, 2, "sub"));
    std::tuple<std::string, int, const char*> steps[] = {{workdir + "/sub", 2, "inner"}, {workdir + "/sub/inner", 0, "."},
                                                         {workdir + "/sub", 0, "."},     {workdir, 0, "."},
                                                         {workdir, 1, ".."},             {parent, 1, ".."}};
    for (std::size_t n = 0; n < std::size(steps); ++n) {
        auto [path, k, name] = steps[n];
        EXPECT_EQ(value(n + 2, 3, 12), path) << n;
        EXPECT_TRUE(at(n + 2, k, name));
    }
    // Typing a directory's full path goes there; ".." at the root stays there, a typed
    // one starting at the first entry, the entry keeping its place.
    press(BROWSE, "/", LOOK, "\n", LOOK, CODE_RIGHT, "\x1b-", LOOK, CODE_RIGHT, "\n", LOOK, "\x1bq");
    EXPECT_EQ(value(1, 20, 14), "/");
    EXPECT_EQ(shot(1).cursor, (Pos{20, 15}));
    for (std::size_t n = 2; n <= 4; ++n) EXPECT_EQ(value(n, 3, 12), "/") << n;
    EXPECT_TRUE(at(2, 0, "."));
    EXPECT_TRUE(at(3, 0, "."));
    EXPECT_TRUE(at(4, 1, ".."));
    EXPECT_EQ(shot(4).rows[6][2], ' ');
    // Leaving the browser puts the editor back where it started.
    EXPECT_EQ(shown_message(), "No File Selected to Open");
    EXPECT_EQ(std::filesystem::current_path().string(), workdir);
    press(BROWSE, "\x1bq");
    EXPECT_EQ(value(0, 3, 12), workdir);
}

TEST_F(SelectorTest, ChosenPathsAreRelativeToTheStartDirectory) {
    make({}, {"top/start/src/lib", "top/sibling", "else"});
    for (auto [name, text] : {std::pair{"top/start/src/lib/x.c", "int x;\n"}, {"top/sibling/y.txt", "y\n"},
                              {"else/z.txt", "z\n"}, {"top/start/here.txt", "here\n"}})
        dir.write(name, text);
    test::InDir start("top/start");
    resize(30, 132);
    grid = selector_layout(SelectorFace::Browser, 30, 132);
    open({""});
    auto name_in_status = [&] {
        keys("\x1bs");
        return shot(0).rows[3];
    };
    // Below the start directory: typed directory names, then an entry.
    press(BROWSE, "src\n", LOOK, "lib\n", LOOK, CODE_RIGHT, CODE_RIGHT, LOOK, "\n");
    EXPECT_TRUE(value(1, 3, 12).ends_with("/top/start/src") && at(1, 0, "."));
    EXPECT_TRUE(value(2, 3, 12).ends_with("/src/lib") && at(2, 0, "."));
    EXPECT_TRUE(at(3, 2, "x.c"));
    EXPECT_TRUE(row(0).starts_with("src/lib/x.c ") && row(2) == "int x;");
    // A sibling of the start directory: . .. sibling start
    press(BROWSE, KEY_SHIFT_UP, CODE_RIGHT, CODE_RIGHT, LOOK, "\n", LOOK, "\n");
    EXPECT_TRUE(value(1, 3, 12).ends_with("/top") && at(1, 2, "sibling"));
    EXPECT_TRUE(value(2, 3, 12).ends_with("/top/sibling") && at(2, 2, "y.txt"));
    EXPECT_TRUE(row(0).starts_with("../sibling/y.txt ") && row(2) == "y");
    // Elsewhere: the full path, chosen with a double click.
    Pos z = marker(2);
    test::fake_screen().mice = {{MouseReport::DoubleClick, z.row, z.col + 1}};
    press(BROWSE, workdir + "/else\n", LOOK, CODE_MOUSE);
    EXPECT_TRUE(value(1, 3, 12) == workdir + "/else" && at(1, 0, "."));
    EXPECT_EQ(row(2), "z");
    EXPECT_EQ(name_in_status(), "Curr Filename:   " + workdir + "/else/z.txt");
    // The start directory itself: the name alone. . .. src here.txt
    Pos here = marker(3);
    test::fake_screen().mice = {{MouseReport::Click, here.row, here.col + 6}};
    press(BROWSE, CODE_MOUSE, LOOK, "\n");
    EXPECT_TRUE(at(1, 3, "here.txt"));
    EXPECT_TRUE(row(0).starts_with("here.txt ") && row(2) == "here");
    EXPECT_EQ(name_in_status(), "Curr Filename:   here.txt");
}

TEST_F(SelectorTest, TypedNamesThatDoNotExistAndCancel) {
    make({"a.txt"});
    open_files({"a.txt"});
    // Typing replaces the shown name; the line editor works on it in place.
    press(BROWSE, "nothre.txt", LOOK, CODE_LEFT, CODE_LEFT, CODE_LEFT, CODE_LEFT, CODE_LEFT, CODE_BACKSPACE, "er", LOOK, "\n");
    EXPECT_EQ(value(1, 20, 14), "nothre.txt");
    EXPECT_EQ(shot(1).cursor, (Pos{20, 24}));
    EXPECT_EQ(value(2, 20, 14), "nothere.txt");
    EXPECT_EQ(shot(2).cursor, (Pos{20, 20}));
    // The Edit menu cannot open it and says so when the menu closes.
    EXPECT_EQ(shown_message(), "Could not open requested file");
    EXPECT_TRUE(row(0).starts_with("a.txt ") && row(2) == "x");
    EXPECT_FALSE(dir.exists("nothere.txt"));
    // Cancelling after moving about and starting a name chooses nothing; the screen
    // is rebuilt under the still open Edit menu.
    press(BROWSE, CODE_DOWN, "zz\x1bq");
    EXPECT_EQ(shown_message(), "No File Selected to Open");
    EXPECT_TRUE(shows(1, {std::string(80, '-'), "x"}, {2, 0}));
}

TEST_F(SelectorTest, OpenFileTableListsCountsAndChanges) {
    dir.write("a.txt", "one\ntwo\n");
    dir.write("b.txt", "three\r\n");
    open_files({"a.txt", "b.txt"});
    grid = selector_layout(SelectorFace::Table, 24, 80);
    press("x\x1bg", LOOK, CODE_DOWN, LOOK, "\n");   // a.txt changes
    const auto& s = shot(0);
    EXPECT_NE(s.rows[0].find("Linux QX v3.5g - Select File to Switch To"), std::string::npos);
    EXPECT_TRUE(s.rows[23].starts_with(FOOTER));
    EXPECT_EQ(s.rows[3], laid_out({{2, "Filename"}, {55, "Lines"}, {63, "Chars"}, {72, "Changed"}}));
    EXPECT_TRUE((s.attrs[3][2] & TERM_UNDERLINE) && (s.attrs[3][72] & TERM_UNDERLINE));
    EXPECT_EQ(s.rows[5], laid_out({{2, ">a.txt"}, {55, "2"}, {63, "9"}, {72, "Yes"}}));
    EXPECT_EQ(s.rows[6], laid_out({{3, "b.txt"}, {55, "1"}, {63, "7"}, {72, "No"}}));
    EXPECT_FALSE(s.attrs[5][3] & TERM_UNDERLINE) << "files are not highlighted";
    EXPECT_EQ(s.rows[19], "  Curr Dir:   " + workdir);
    EXPECT_TRUE(at(0, 0, "a.txt"));
    EXPECT_TRUE(at(1, 1, "b.txt"));
    EXPECT_TRUE(row(0).starts_with("b.txt ") && shows(2, {"three"}, {2, 0}));

    // A typed name is looked up among the open files; the table starts on the current one.
    press("\x1bg", LOOK, "a.txt\n");
    EXPECT_TRUE(at(0, 1, "b.txt"));
    EXPECT_TRUE(row(0).starts_with("a.txt ") && row(2) == "xone");
    // One that is not open rings the bell and stays with the current file.
    press("\x1b" "eM", LOOK, "c.txt\n");
    EXPECT_TRUE(at(0, 0, "a.txt"));
    EXPECT_EQ(shown_message(), "Could not open requested file");
    EXPECT_EQ(bells(), 1);
    EXPECT_TRUE(row(0).starts_with("a.txt ") && row(2) == "xone");
    // Choosing an open file in the browser switches to it instead of opening it again.
    press("\x1bn", BROWSE, "a.txt\n\x1bg", LOOK, "\x1bq");
    EXPECT_TRUE(at(1, 0, "a.txt"));
    EXPECT_EQ(shot(1).rows[7], "");
    EXPECT_TRUE(row(0).starts_with("a.txt ") && shows(2, {"xone"}, {2, 1}));
}

}  // namespace
}  // namespace qx
