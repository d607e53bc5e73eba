// Random keys at the real editor, drawing included: whatever arrives, it keeps
// running. The Quit menu is left out of the keys, since it may end the editor.
#include <random>

#include "support/qx_screen.h"

namespace qx::test {
namespace {

void random_key(QxScreen& s, std::mt19937& rng) {
    static const Key keys[] = {Key::Up,     Key::Down,   Key::Left, Key::Right, Key::Home,     Key::End,
                               Key::PageUp, Key::PageDown, Key::Insert, Key::Delete, Key::Backspace, Key::Tab,
                               Key::Enter,  Key::F1,     Key::F2,   Key::F3,    Key::F4,       Key::F5,
                               Key::F6,     Key::F7,     Key::F8,   Key::F9,    Key::F10,      Key::F11,
                               Key::KP_Plus, Key::KP_Minus, Key::KP_Mult, Key::KP_Divide, Key::KP5, Key::KP_Enter};
    // No counts: a long one would repeat a redrawing command thousands of times.
    static const std::string letters = "IOabcdefghijklmnoprstuvwxzA,.^$;][{}#DW<>BF~-+()CXVHML`k:U";
    switch (rng() % 8) {
    case 0: case 1: case 2: s.type(std::string(1, static_cast<char>(' ' + rng() % 95))); break;
    case 3: s.key(keys[rng() % (sizeof keys / sizeof *keys)],
                  rng() % 4 == 0 ? (rng() % 2 ? Mod::Shift : Mod::Ctrl) : Mod::None); break;
    case 4: s.esc(std::string(1, letters[rng() % letters.size()])); break;
    case 5: {
        char c = static_cast<char>('a' + rng() % 26);
        if (c != 'q') s.ctrl(c);   // Ctrl-Q is no command key, but keep the terminal's flow control out
        break;
    }
    case 6: s.click(static_cast<int>(rng() % 80), static_cast<int>(rng() % 24)); break;
    default: s.send(std::string(1, static_cast<char>(0x80 + rng() % 128))); break;
    }
}

TEST(RandomKeys, TheEditorKeepsRunning) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
        std::mt19937 rng(seed);
        std::string text;
        for (int i = 0; i < 60; ++i) text += std::string(rng() % 150, static_cast<char>('a' + i % 26)) + "\n";
        QxScreen s({"random.txt", "other.txt"});
        s.write_file("random.txt", text);
        s.write_file("other.txt", "second file\n");
        ASSERT_TRUE(s.start_editing()) << s.dump();
        for (int i = 0; i < 300; ++i) random_key(s, rng);
        // A crash, or a sanitizer's report, ends the process; a live editor goes
        // quiet once it has read every key.
        EXPECT_TRUE(s.settle(milliseconds(300))) << "seed " << seed << s.dump();
        EXPECT_TRUE(s.running()) << "seed " << seed << s.dump();
    }
}

}  // namespace
}  // namespace qx::test
