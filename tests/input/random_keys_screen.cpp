// Random keys at the real editor, drawing included, with mouse reports at any 32-bit
// coordinates and resizes (also to sizes the editor cannot use) between keys; every so often the text rows
// must show exactly what Update writes. Keys that open menus or switch files are left
// out, so that the editor is back at its text when the check comes.
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "qx_screen.h"

namespace qx::test {
namespace {

void random_key(QxScreen& s, std::mt19937& rng) {
    static const Key keys[] = {Key::Up,     Key::Down,   Key::Left, Key::Right, Key::Home,     Key::End,
                               Key::PageUp, Key::PageDown, Key::Insert, Key::Delete, Key::Backspace, Key::Tab,
                               Key::Enter,  Key::F1,     Key::F4,   Key::F9,    Key::F10,
                               Key::KP_Minus, Key::KP_Mult, Key::KP_Divide, Key::KP5, Key::KP_Enter};
    // No counts: a long one would repeat a redrawing command thousands of times.
    static const std::string letters = "IOadiklsuvzA,.^$;][{}#DW<>BF~-+()HML:";
    switch (rng() % 9) {
    case 0: case 1: case 2: s.type(std::string(1, static_cast<char>(' ' + rng() % 95))); break;
    case 3: s.key(keys[rng() % std::size(keys)],
                  rng() % 4 == 0 ? (rng() % 2 ? Mod::Shift : Mod::Ctrl) : Mod::None); break;
    case 4: s.esc(std::string(1, letters[rng() % letters.size()])); break;
    case 5: {
        static const std::string controls = "bcdfhklprtuvz";   // no menus, no flow control
        s.send(std::string(1, static_cast<char>(controls[rng() % controls.size()] & 0x1f)));
        break;
    }
    case 6: {
        // A press at any coordinates the report can carry, now and then on the screen.
        uint32_t col = rng() % 3 ? rng() : rng() % 90, row = rng() % 3 ? rng() : rng() % 30;
        s.send("\x1b[<0;" + std::to_string(col) + ";" + std::to_string(row) + "M");
        break;
    }
    case 7:
        s.resize(60 + static_cast<int>(rng() % 90), 15 + static_cast<int>(rng() % 30));
        break;
    default: s.send(std::string(1, static_cast<char>(0x80 + rng() % 128))); break;
    }
}

std::string shown(const std::string& line) {
    std::string out(80, ' ');
    for (std::size_t i = 0; i < 80 && i < line.size(); ++i) {
        auto c = static_cast<unsigned char>(line[i]);
        out[i] = c == '\t' ? '?' : c == 1 ? ' ' : c < 0x20 || c >= 0x7F ? '.' : static_cast<char>(c);
    }
    return out;
}

// The text rows show some stretch of the file, from its column 0.
bool screen_shows_file(const QxScreen& s, const std::string& file) {
    std::vector<std::string> lines;
    std::istringstream in(file);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    for (std::size_t top = 0; top < lines.size(); ++top) {
        int r = 2;
        for (std::size_t i = top; r < 24 && s.row(r) == (i < lines.size() ? shown(lines[i]) : std::string(80, ' ')); ++i) ++r;
        if (r == 24) return true;
    }
    return false;
}

TEST(RandomKeys, TheScreenShowsWhatUpdateWrites) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::mt19937 rng(seed);
        std::string text;
        for (int i = 0; i < 60; ++i) text += std::string(rng() % (i % 2 ? 150 : 6), static_cast<char>('a' + i % 26)) + "\n";
        QxScreen s({"random.txt"});
        s.write_file("random.txt", text);
        ASSERT_TRUE(s.start_editing()) << s.dump();
        for (int check = 0; check < 6; ++check) {
            for (int i = 0; i < 50; ++i) random_key(s, rng);
            s.resize(80, 24);
            // Out of any panel or pending command, to column 0, then Update.
            s.esc("\n");
            s.esc("<");
            QX_ASSERT_SCREEN(s, s.message80() == HINT) << "seed " << seed;
            s.esc("U");
            QX_ASSERT_SCREEN(s, s.message80() == "File has been written") << "seed " << seed;
            ASSERT_TRUE(s.settle()) << "the rows below the message follow in the same refresh";
            const std::string file = s.read_file("random.txt");
            ASSERT_TRUE(screen_shows_file(s, file)) << "seed " << seed << " check " << check << "\n" << s.dump() << file;
        }
        EXPECT_TRUE(s.running()) << "seed " << seed << s.dump();
    }
}

}  // namespace
}  // namespace qx::test
