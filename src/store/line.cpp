#include "store/line.h"

#include <algorithm>
#include <bit>

#include "store/memory.h"
#include "store/message_ids.h"

namespace qx {

LineMark LineMarks[LINE_MARK_COUNT];
uint64_t TextChanges = 1;

namespace {
void forget_marks(const ListLink* node) {
    for (LineMark& mark : LineMarks)
        if (mark.line == node) mark = LineMark{};
}
}  // namespace

void move_line_marks(const Line* from, Line* to) {
    for (LineMark& mark : LineMarks)
        if (mark.line == from) mark.line = to;
}

void clear_line_marks() {
    for (LineMark& mark : LineMarks) mark = LineMark{};
}

void list_init(LineList& list) {
    list.next = nullptr;
    list.prev = nullptr;
    list.reserved1 = 0;
    list.first = nullptr;
    list.last = nullptr;
    list.count = 0;
    list.reserved2 = 0;
}

void list_free_all(LineList& list) {
    ListLink* node = list.count ? list.first : nullptr;
    while (node) {
        ListLink* next = node->next;
        forget_marks(node);
        vfree(node);
        node = next;
    }
    list_init(list);
}

void list_insert_after(LineList& list, ListLink* after, ListLink* node, int32_t& status) {
    bool was_empty = list.count == 0;
    node->prev = after;
    node->next = after->next.get();
    after->next = node;
    if (ListLink* next = node->next) next->prev = node;
    if (was_empty) list.first = list.last = node;
    if (node->prev.get() == &list) list.first = node;
    if (node->next.get() == nullptr) list.last = node;
    ++list.count;
    status = MSG_SUCCESS;
}

ListLink* list_remove(LineList& list, ListLink* node, int32_t& status) {
    if (list.count == 0) {
        status = MSG_LIST_ERROR;
        return node;
    }
    forget_marks(node);
    ListLink* prev = node->prev;
    ListLink* next = node->next;
    prev->next = next;
    if (next) {
        next->prev = prev;
        if (prev == &list) list.first = next;
    } else {
        list.last = prev;
    }
    --list.count;
    return node;
}

ListLink* list_walk(LineList& list, ListLink* start, char direction, int32_t& steps, int32_t n,
                    int32_t& status) {
    steps = 0;
    if (n < 1) return start;
    ListLink* node = start;
    for (int32_t i = 0; i < n; ++i) {
        ListLink* to = direction == '+' ? node->next.get() : node->prev.get();
        if (to == nullptr || to == &list) {
            status = MSG_END_OF_LIST;
            return node;
        }
        node = to;
        ++steps;
    }
    return node;
}

void list_append(LineList& list, ListLink* node) {
    int32_t status = 0;
    list_insert_after(list, list.count > 0 ? list.last : &list, node, status);
}

void list_append_all(LineList& to, LineList& from) {
    if (from.count == 0) return;
    ListLink* after = to.count > 0 ? to.last : &to;
    ListLink* first = from.first;
    after->next = first;
    first->prev = after;
    if (to.count == 0) to.first = first;
    to.last = from.last;
    to.count += from.count;
    list_init(from);
}

Line* walk_lines(LineList& list, Line* start, char direction, int32_t n, int32_t* steps) {
    int32_t taken = 0, status = 0;
    ListLink* reached = list_walk(list, start, direction, taken, n, status);
    if (steps) *steps = taken;
    return static_cast<Line*>(reached);
}

namespace {
Line* make_line(void* block, const char* text, int32_t length) {
    auto* line = static_cast<Line*>(block);
    line->next = nullptr;
    line->prev = nullptr;
    line->length = length;
    if (length > 0) std::memcpy(line->text(), text, static_cast<std::size_t>(length));
    return line;
}
}  // namespace

Line* new_line(const char* text, int32_t length) {
    return make_line(valloc(sizeof(Line) + static_cast<std::size_t>(length)), text, length);
}

void free_line(Line* line) {
    forget_marks(line);
    vfree(line);
}

void copy_text(char* destination, int32_t size, std::string_view text) {
    if (size <= 0) return;
    std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(destination, text.data(), n);
    destination[n] = '\0';
}

int32_t mem_find_byte(const char* bytes, char c, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        if (bytes[i] == c) return i;
    return -1;
}

int32_t mem_find_other_byte(const char* bytes, char c, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        if (bytes[i] != c) return i;
    return -1;
}

void mem_fill(char c, char* bytes, int32_t n) {
    for (int32_t i = 0; i < n; ++i) bytes[i] = c;
}

void mem_copy(const char* source, char* destination, int32_t n) {
    for (int32_t i = 0; i < n; ++i) destination[i] = source[i];
}

int32_t mem_compare(const char* a, const char* b, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return i;
    return -1;
}

static_assert(std::endian::native == std::endian::little,
              "checksums read text as little-endian words");

uint32_t mem_sum_words(const char* words, int32_t n) {
    uint32_t sum = 0;
    for (int32_t i = 0; i < n; ++i) {
        uint32_t w;
        std::memcpy(&w, words + 4 * i, 4);
        sum += w;
    }
    return sum;
}

}  // namespace qx
