// Lines and the generic doubly linked lists every text is built from.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace qx {

// Counts changes to any list's links or any line's text: counts taken of a text
// still hold while it stands where it stood, without a walk over every line.
extern uint64_t TextChanges;
inline void note_text_change() { ++TextChanges; }

// A link word stored as plain bytes. Lines are packed end to end to keep per-line
// overhead low, so a link may sit at any address; reading it through memcpy keeps
// that well defined. Only the low six bytes of an address are kept: user addresses
// on this platform have 47 bits, and two bytes a link are 4 MB a million lines.
template <class T>
class Link {
public:
    Link() = default;
    Link(T* p) { set(p); }
    Link& operator=(T* p) { set(p); return *this; }
    operator T*() const { return get(); }
    T* operator->() const { return get(); }
    // Two loads and two stores of the same widths, so that reading a link just
    // written is served straight from the stores.
    T* get() const {
        uint32_t low;
        uint16_t high;
        std::memcpy(&low, raw_, 4);
        std::memcpy(&high, raw_ + 4, 2);
        return reinterpret_cast<T*>(static_cast<uintptr_t>(low | uint64_t{high} << 32));
    }
    void set(T* p) {
        note_text_change();
        store(p);
    }
    // Without counting a text change: for a reader that counts one for all it appends.
    void store(T* p) {
        auto bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p));
        if (bits >> 48) __builtin_trap();   // an address this platform does not give out
        auto low = static_cast<uint32_t>(bits);
        auto high = static_cast<uint16_t>(bits >> 32);
        std::memcpy(raw_, &low, 4);
        std::memcpy(raw_ + 4, &high, 2);
    }
private:
    static_assert(sizeof(T*) == 8 && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    unsigned char raw_[6] = {};
};

// The common beginning of every list node and of every list header. A header stands
// in for a node in front of the first one: the first node's prev points at it. A
// header's own prev is always null, which is how a walk backwards knows it arrived.
struct ListLink {
    Link<ListLink> next;
    Link<ListLink> prev;
};

inline bool is_list_header(const ListLink* link) { return link->prev.get() == nullptr; }

// A line's length in two bytes: no line holds more than a few hundred characters,
// and two bytes a line are 2 MB a million lines. A length it cannot hold is a fault.
class LineLength {
public:
    LineLength() = default;
    LineLength(int32_t n) { set(n); }
    LineLength& operator=(int32_t n) { set(n); return *this; }
    LineLength& operator+=(int32_t n) { set(get() + n); return *this; }
    LineLength& operator-=(int32_t n) { set(get() - n); return *this; }
    operator int32_t() const { return get(); }
    int32_t get() const {
        uint16_t n;
        std::memcpy(&n, raw_, 2);
        return n;
    }
    void set(int32_t n) {
        note_text_change();   // as a link does: counts taken before no longer vouch
        store(n);
    }
    void store(int32_t n) {
        if (n < 0 || n > 0xFFFF) __builtin_trap();
        auto bits = static_cast<uint16_t>(n);
        std::memcpy(raw_, &bits, 2);
    }
private:
    unsigned char raw_[2] = {};
};

// One line of text. The text bytes follow the record directly, without line end
// and without terminator. Its fields are plain bytes, so that a line costs its text
// plus 14 bytes at any address.
struct Line : ListLink {
    LineLength length;

    char* text() { return reinterpret_cast<char*>(this) + sizeof(Line); }
    const char* text() const { return reinterpret_cast<const char*>(this) + sizeof(Line); }
};
static_assert(sizeof(Line) == 14 && alignof(Line) == 1);

// List header: next/prev stand in for a node, first/last are valid while count > 0.
struct LineList : ListLink {
    uint32_t reserved1;   // the undo queue keeps its step count here
    ListLink* first;
    ListLink* last;
    uint32_t count;
    uint32_t reserved2;
};

// The node after or before a line; null at the ends (never the header).
inline Line* next_line(const Line* line) { return static_cast<Line*>(line->next.get()); }
inline Line* prev_line(const Line* line) {
    ListLink* p = line->prev.get();
    return is_list_header(p) ? nullptr : static_cast<Line*>(p);
}
inline Line* first_line(const LineList& list) {
    return list.count ? static_cast<Line*>(list.first) : nullptr;
}
inline Line* last_line(const LineList& list) {
    return list.count ? static_cast<Line*>(list.last) : nullptr;
}

// List operations. The status word receives a MessageId (5 list error, 6 end of list).
void list_init(LineList& list);
void list_free_all(LineList& list);
void list_insert_after(LineList& list, ListLink* after, ListLink* node, int32_t& status);
ListLink* list_remove(LineList& list, ListLink* node, int32_t& status);
ListLink* list_walk(LineList& list, ListLink* start, char direction, int32_t& steps, int32_t n,
                    int32_t& status);
void list_append(LineList& list, ListLink* node);
// Moves every node of `from` to the end of `to` at once; `from` is left empty.
void list_append_all(LineList& to, LineList& from);

// Places in the current file remembered by identity from one command to the next
// (the search's first and previous match). Taking a line out of its list or
// freeing it forgets every mark on it, so that a mark never names a line that is
// gone; a line that line_commit gives a new record takes its marks along.
struct LineMark {
    Line* line;   // null: nothing remembered
    int32_t column;
};
inline constexpr int32_t LINE_MARK_COUNT = 2;
extern LineMark LineMarks[LINE_MARK_COUNT];
void move_line_marks(const Line* from, Line* to);
void clear_line_marks();

// Typed conveniences over list_walk for lines.
Line* walk_lines(LineList& list, Line* start, char direction, int32_t n, int32_t* steps = nullptr);

// A new line holding a copy of the given text (allocated with valloc).
Line* new_line(const char* text, int32_t length);
void free_line(Line* line);

// White space as line texts know it: blank, tab, and the other control spaces.
inline bool is_blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Leading white space of a text.
inline int32_t count_leading_blanks(const char* text, int32_t length) {
    int32_t n = 0;
    while (n < length && is_blank(text[n])) ++n;
    return n;
}

// Copies text into a buffer of size bytes, cut to fit and always ended by NUL.
void copy_text(char* destination, int32_t size, std::string_view text);

// Byte-range operations.
int32_t mem_find_byte(const char* bytes, char c, int32_t n);
int32_t mem_find_other_byte(const char* bytes, char c, int32_t n);
void mem_fill(char c, char* bytes, int32_t n);
void mem_copy(const char* source, char* destination, int32_t n);
int32_t mem_compare(const char* a, const char* b, int32_t n);
uint32_t mem_sum_words(const char* words, int32_t n);

}  // namespace qx
