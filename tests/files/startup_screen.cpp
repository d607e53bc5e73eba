// Only a real terminal shows what an end signal leaves of it.
#include <csignal>

#include <filesystem>
#include <utility>

#include <gtest/gtest.h>

#include "qx_screen.h"

namespace qx::test {
namespace {

// A hang-up or termination saves each modified file beside it, never over the
// original or an earlier save, gives the terminal back and says what it saved.
TEST(Startup, EndSignalsSaveModifiedFilesAndRestoreTheTerminal) {
    for (int sig : {SIGHUP, SIGTERM, SIGQUIT}) {
        QxScreen s({"a.txt", "b.txt", "c.txt"});
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) s.write_file(name, std::string(name, 1) + "\n");
        s.write_file("b.txt.save", "older\n");
        ASSERT_TRUE(s.start_editing()) << s.dump();
        s.type("1");
        s.esc("n");
        s.type("2");   // still in the line being edited
        QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "2b" && s.alt_screen() && s.mouse_reporting());
        ::kill(s.pid(), sig);
        ASSERT_TRUE(s.wait_exit()) << s.dump();
        EXPECT_EQ(s.exit_status(), 4) << sig;
        EXPECT_TRUE(!s.alt_screen() && !s.mouse_reporting()) << s.dump();
        EXPECT_TRUE(s.find("QX: saved b.txt as b.txt.save.1")) << s.dump();
        for (auto [name, bytes] : {std::pair{"a.txt.save", "1a\n"}, {"b.txt.save.1", "2b\n"}, {"b.txt.save", "older\n"},
                                   {"a.txt", "a\n"}, {"b.txt", "b\n"}})
            EXPECT_EQ(s.read_file(name), bytes) << name;
        EXPECT_FALSE(std::filesystem::exists(s.path("c.txt.save")));
    }
}

}  // namespace
}  // namespace qx::test
