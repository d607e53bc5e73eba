#include "files/selector.h"

#include <gtest/gtest.h>

#include "support/editor_test.h"

namespace qx {
namespace {

TEST(SelectorLayout, BrowserColumnsShareTheSpareWidth) {
    struct Case {
        int32_t columns, entryColumns, width;
    } cases[] = {
        {80, 2, 39},    // 18 spare columns over 2
        {132, 4, 32},   // 10 spare over 4, the rest unused
        {92, 3, 30},    // exactly filled: no widening
        {93, 3, 30},    // one spare column is not enough to widen 3
        {511, 16, 31},
    };
    for (const Case& c : cases) {
        SelectorLayout l = selector_layout(SelectorFace::Browser, 24, c.columns);
        EXPECT_EQ(l.entryColumns, c.entryColumns) << c.columns;
        EXPECT_EQ(l.columnWidth, c.width) << c.columns;
        EXPECT_LE(l.entryColumns * l.columnWidth + l.firstColumn, c.columns) << "entries fit on the screen";
        EXPECT_EQ(l.valueWidth, c.columns - 16);
        EXPECT_EQ(l.pageColumn, c.columns - 14);
    }
}

TEST(SelectorLayout, RowsAndFieldsOfBothFaces) {
    SelectorLayout b = selector_layout(SelectorFace::Browser, 24, 80);
    EXPECT_EQ(b.entryRows, 14);
    EXPECT_EQ(b.pageCapacity, 28);
    EXPECT_EQ(b.firstRow, 5);
    EXPECT_EQ(b.firstColumn, 2);
    EXPECT_EQ(b.directoryRow, 3);
    EXPECT_EQ(b.directoryValueColumn, 12);
    EXPECT_EQ(b.fileRow, 20);
    EXPECT_EQ(b.fileValueColumn, 14);

    SelectorLayout t = selector_layout(SelectorFace::Table, 24, 80);
    EXPECT_EQ(t.entryColumns, 1);
    EXPECT_EQ(t.columnWidth, 53);
    EXPECT_EQ(t.entryRows, 12);
    EXPECT_EQ(t.pageCapacity, 12);
    EXPECT_EQ(t.directoryRow, 19);
    EXPECT_EQ(t.directoryValueColumn, 14);
    EXPECT_EQ(t.fileRow, 20);
    // The last entry row stays clear of "Curr Dir:".
    EXPECT_LT(t.firstRow + t.entryRows - 1, t.directoryRow);

    SelectorLayout big = selector_layout(SelectorFace::Browser, 43, 132);
    EXPECT_EQ(big.entryRows, 33);
    EXPECT_EQ(big.pageCapacity, 132);
    EXPECT_LT(big.firstRow + big.entryRows - 1, big.fileRow);
    for (int32_t columns : {80, 132, 300, 511})
        EXPECT_EQ(selector_layout(SelectorFace::Table, 20, columns).entryColumns, 1) << columns;
}

TEST(SelectorPaths, ResultIsWrittenFromTheStartDirectory) {
    // The start directory itself: the name alone.
    EXPECT_EQ(path_from_start("/home/u", "/home/u", "a.txt"), "a.txt");
    // Below it: the rest of the path.
    EXPECT_EQ(path_from_start("/home/u", "/home/u/src/lib", "a.c"), "src/lib/a.c");
    // A sibling: through the common parent.
    EXPECT_EQ(path_from_start("/home/u", "/home/w", "b.txt"), "../w/b.txt");
    // Elsewhere: the full path.
    EXPECT_EQ(path_from_start("/home/u", "/etc", "passwd"), "/etc/passwd");
    EXPECT_EQ(path_from_start("/home/u", "/home", "x"), "/home/x");
    EXPECT_EQ(path_from_start("/home/u", "/home/w/deeper", "x"), "/home/w/deeper/x");
    // A name that only begins like the start directory is not below it.
    EXPECT_EQ(path_from_start("/home/u", "/home/user", "x"), "../user/x");
    EXPECT_EQ(path_from_start("/a/b/c", "/a/b/cd/e", "x"), "/a/b/cd/e/x");
    // The root as either end.
    EXPECT_EQ(path_from_start("/", "/etc", "hosts"), "etc/hosts");
    EXPECT_EQ(path_from_start("/", "/", "f"), "f");
    EXPECT_EQ(path_from_start("/home", "/", "f"), "/f");
    EXPECT_EQ(path_from_start("/home", "/etc", "f"), "../etc/f");
    // A typed full path stays what it is; nothing chosen stays nothing.
    EXPECT_EQ(path_from_start("/home/u", "/etc", "/tmp/n.txt"), "/tmp/n.txt");
    EXPECT_EQ(path_from_start("/home/u", "/etc", ""), "");
}

TEST(SelectorPaths, DirectoryMoves) {
    EXPECT_EQ(parent_directory("/home/u/src"), "/home/u");
    EXPECT_EQ(parent_directory("/home"), "/");
    EXPECT_EQ(parent_directory("/"), "/");

    EXPECT_EQ(enter_directory("/home/u", ".."), "/home");
    EXPECT_EQ(enter_directory("/home/u/src", ".."), "/home/u");
    EXPECT_EQ(enter_directory("/", ".."), "/");
    EXPECT_EQ(enter_directory("/home/u", "."), "/home/u");
    EXPECT_EQ(enter_directory("/home/u", "src"), "/home/u/src");
    EXPECT_EQ(enter_directory("/", "etc"), "/etc");
    EXPECT_EQ(enter_directory("/home/u", "/var/log"), "/var/log");
    EXPECT_EQ(enter_directory("/home/u", "src/lib"), "/home/u/src/lib");
}

// NextFile alone refuses; New from the Edit menu opens an unnamed file at column 0
// while the other file keeps its own sideways view.
using OpenFilesTest = test::EditorTest;

TEST_F(OpenFilesTest, NextFileAloneAndANewFileAtColumnZero) {
    open({std::string(200, 'w')});
    keys("\x1bn");
    EXPECT_EQ(shown_message(), "Only 1 file open");
    EXPECT_EQ(bells(), 1);
    keys({CODE_END});
    EXPECT_EQ(row(0).substr(71, 2), "<-");
    keys("\x1b" "en");
    EXPECT_EQ(row(0).substr(0, 13), "Unnamed File ");
    EXPECT_EQ(row(0).substr(71, 2), "  ");
    EXPECT_EQ(cursor(), (test::ScreenPos{2, 0}));
    keys("x");
    EXPECT_EQ(row(2), "x");
    keys("\x1bn");
    EXPECT_EQ(row(0).substr(0, 9), "test.txt ");
    EXPECT_EQ(row(0).substr(71, 2), "<-");
    EXPECT_TRUE(shows(2, {std::string(69, 'w')}, {2, 69}));
}

TEST_F(OpenFilesTest, EditMenuStepsThroughTheFilesAndOpensNewOnes) {
    const std::string long_name = "abcdefghij0123456789ABCDEFGHIJ", menu = "File  New  Menu  + : ";
    open({"alpha"}, 0, 0, "a.txt");
    test::open_test_file({"long"}, 'u', long_name.c_str());
    keys("\x1bn");
    // The menu on row 0 with the current file's name at its end; other keys ring the bell.
    keys({ESC, 'e', 'x', CODE_DOWN});
    ASSERT_EQ(waits().size(), 1u);
    EXPECT_TRUE(waits()[0].rows[0].starts_with(menu) && waits()[0].rows[0].ends_with(" a.txt"));
    EXPECT_EQ(waits()[0].cursor, (test::ScreenPos{0, 21}));
    EXPECT_EQ(bells(), 2);
    // "+" steps through the files, a long name shortened as on the status line.
    keys({ESC, 'e', '+'});
    ASSERT_EQ(waits().size(), 1u);
    EXPECT_TRUE(waits()[0].rows[0].ends_with(" ..." + long_name.substr(11))) << waits()[0].rows[0];
    EXPECT_EQ(row(0).substr(0, 22), "..." + long_name.substr(11));
    EXPECT_TRUE(shows(2, {"long"}, {2, 0}));
    // New opens an unnamed file, after the others.
    keys({ESC, 'e', 'n'});
    keys("new");
    EXPECT_EQ(row(0).substr(0, 13), "Unnamed File ");
    EXPECT_TRUE(shows(2, {"new"}, {2, 3}));
    keys("\x1bn");
    EXPECT_EQ(row(2), "alpha");
}

}  // namespace
}  // namespace qx
