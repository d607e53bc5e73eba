#include "store/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef __x86_64__
#include <immintrin.h>
#endif

#include "store/hooks.h"
#include "store/memory.h"
#include "store/message_ids.h"
#include "store/text.h"

namespace qx {

namespace {

// Bytes that may appear in a text file: TAB, LF, FF, CR, printable ASCII, 0x80..0xFE.
constexpr std::array<bool, 256> TEXT_BYTES = [] {
    std::array<bool, 256> table{};
    for (int c = 0x20; c <= 0x7E; ++c) table[c] = true;
    for (int c = 0x80; c <= 0xFE; ++c) table[c] = true;
    table['\t'] = table['\n'] = table['\f'] = table['\r'] = true;
    return table;
}();

// The length of the run of printable bytes (0x20..0x7E and 0x80..0xFE) at p, at
// most READ_PIECE. Most lines are such a run up to their LF; the others get the
// byte-by-byte look for NUL, TAB, CR and non-text. With Copy the bytes looked at are
// stored at out as well, in whole 16-byte blocks: out must have READ_PIECE bytes of
// room. The scan reads whole 16-byte blocks, so a byte that is not printable must
// follow the data within them.
template <bool Copy>
std::size_t printable_run(const char* p, char* out) {
    static_assert(READ_PIECE % 16 == 0);
#ifdef __SSE2__
    const __m128i one = _mm_set1_epi8(1), last_control = _mm_set1_epi8(0x20), minus_one = _mm_set1_epi8(-1);
    for (std::size_t i = 0; i < READ_PIECE; i += 16) {
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if constexpr (Copy) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), b);
        // Signed, b + 1 is above 0x20 for 0x20..0x7E only (0x7F..0xFF become negative
        // or 0, the controls stay at most 0x20), and b is below -1 for 0x80..0xFE.
        __m128i printable = _mm_or_si128(_mm_cmpgt_epi8(_mm_add_epi8(b, one), last_control),
                                         _mm_cmpgt_epi8(minus_one, b));
        if (auto mask = static_cast<uint32_t>(_mm_movemask_epi8(printable)); mask != 0xFFFF)
            return i + static_cast<std::size_t>(__builtin_ctz(~mask));
    }
    return READ_PIECE;
#else
    for (std::size_t i = 0; i < READ_PIECE; ++i) {
        auto c = static_cast<unsigned char>(p[i]);
        if (c < 0x20 || c == 0x7F || c == 0xFF) return i;
        if constexpr (Copy) out[i] = p[i];
    }
    return READ_PIECE;
#endif
}

#ifdef __x86_64__
// The same 32 bytes at a time, where the processor can (most can): half the steps.
template <bool Copy>
__attribute__((target("avx2"))) std::size_t printable_run_wide(const char* p, char* out) {
    static_assert(READ_PIECE % 32 == 0);
    const __m256i one = _mm256_set1_epi8(1), last_control = _mm256_set1_epi8(0x20),
                  minus_one = _mm256_set1_epi8(-1);
    for (std::size_t i = 0; i < READ_PIECE; i += 32) {
        __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        if constexpr (Copy) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), b);
        __m256i printable = _mm256_or_si256(_mm256_cmpgt_epi8(_mm256_add_epi8(b, one), last_control),
                                            _mm256_cmpgt_epi8(minus_one, b));
        if (auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(printable)); mask != 0xFFFFFFFF)
            return i + static_cast<std::size_t>(__builtin_ctz(~mask));
    }
    return READ_PIECE;
}
const bool WIDE_SCAN = [] {
    __builtin_cpu_init();   // this may run before the library's own start-up asked
    return __builtin_cpu_supports("avx2") != 0;
}();
#else
template <bool Copy>
std::size_t printable_run_wide(const char* p, char* out) { return printable_run<Copy>(p, out); }
constexpr bool WIDE_SCAN = false;
#endif

// A file descriptor that closes itself.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { if (fd_ >= 0) ::close(fd_); }
    int get() const { return fd_; }
private:
    int fd_;
};

// The file read in large blocks into one buffer. After a refill at least READ_PIECE
// bytes lie ahead unless the file ends sooner, and a NUL follows the last of them,
// with room for a scan's last 32-byte block beyond it.
class BlockReader {
public:
    explicit BlockReader(int fd) : fd_(fd) {}

    const char* data() const { return buffer_; }
    std::size_t end() const { return end_; }
    bool at_end() const { return eof_; }
    // Keeps the bytes from pos on, moved to the start, and reads more after them.
    void refill(std::size_t pos) {
        std::memmove(buffer_, buffer_ + pos, end_ - pos);
        end_ -= pos;
        while (end_ < CAPACITY && !eof_) {
            ssize_t got = ::read(fd_, buffer_ + end_, CAPACITY - end_);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) eof_ = true;   // a read error ends the text like the end of the file
            else end_ += static_cast<std::size_t>(got);
        }
        buffer_[end_] = '\0';
    }

private:
    static constexpr std::size_t CAPACITY = 1 << 16;
    int fd_;
    char buffer_[CAPACITY + 32] = {};
    std::size_t end_ = 0;
    bool eof_ = false;
};

// Output gathered into large writes; any failed write is remembered.
class BlockWriter {
public:
    explicit BlockWriter(int fd) : fd_(fd) {}
    void put(const char* bytes, std::size_t n) {
        if (used_ + n > sizeof buffer_) flush();
        std::memcpy(buffer_ + used_, bytes, n);
        used_ += n;
    }
    bool flush() {
        std::size_t done = 0;
        while (ok_ && done < used_) {
            ssize_t put = ::write(fd_, buffer_ + done, used_ - done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) ok_ = false;
            else done += static_cast<std::size_t>(put);
        }
        used_ = 0;
        return ok_;
    }
private:
    int fd_;
    char buffer_[1 << 16];
    std::size_t used_ = 0;
    bool ok_ = true;
};

// The reader and writer buffers are too large for the stack: they come from valloc,
// whose exhaustion path the editor handles, and go back on leaving the scope.
template <class T>
class VallocObject {
public:
    explicit VallocObject(int fd) : object_(new (valloc(sizeof(T))) T(fd)) {}
    ~VallocObject() {
        object_->~T();
        vfree(object_);
    }
    VallocObject(const VallocObject&) = delete;
    VallocObject& operator=(const VallocObject&) = delete;
    T* operator->() const { return object_; }

private:
    T* object_;
};

// Writes go to the file a symbolic link names, so that the link survives.
PathText write_target(const char* path) {
    struct stat st;
    if (::lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
        char real[PATH_MAX];
        if (::realpath(path, real)) return PathText(real);
    }
    return PathText(path);
}

// The replacement keeps the old file's owner, group and mode; a file that did not
// exist gets the mode any new file would get.
bool take_attributes(int fd, const struct stat* old) {
    if (!old) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        return ::fchmod(fd, 0666 & ~mask) == 0;
    }
    // Only root may give a file away (EPERM), and ids this user namespace does not map
    // cannot be set (EINVAL); the file then keeps at least its group where it can.
    // The owner comes first: changing it may clear the set-id bits.
    auto refused = [] { return errno == EPERM || errno == EINVAL; };
    if (::fchown(fd, old->st_uid, old->st_gid) != 0) {
        if (!refused()) return false;
        if (::fchown(fd, static_cast<uid_t>(-1), old->st_gid) != 0 && !refused()) return false;
    }
    return ::fchmod(fd, old->st_mode & 07777) == 0;
}

// The directory entry of a replaced file reaches the disk too.
void sync_directory(std::string_view path) {
    std::size_t slash = path.rfind('/');
    PathText dir(slash == std::string_view::npos ? "." : slash == 0 ? "/" : path.substr(0, slash));
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

int32_t next_tab_stop(int32_t column, int32_t tabstop) {
    int64_t stop = (int64_t{column} / tabstop + 1) * tabstop;
    return static_cast<int32_t>(std::min<int64_t>(stop, INT32_MAX));
}

int32_t expand_tabs(char* buffer, int32_t length, int32_t tabstop) {
    int32_t limit = MAX_TAB_GROWTH - tabstop;
    if (length == 0 || limit < 1) return length;
    for (int32_t pos = 0; pos < length && buffer[pos] != '\0' && pos < limit; ++pos) {
        if (buffer[pos] != '\t') continue;
        buffer[pos] = ' ';
        int32_t extra = next_tab_stop(pos, tabstop) - pos - 1;
        if (extra > 0) {
            std::memmove(buffer + pos + 1 + extra, buffer + pos + 1, length - pos - 1);
            std::memset(buffer + pos + 1, ' ', extra);
            length += extra;
        }
    }
    return length;
}

int32_t compress_blanks(char* buffer, int32_t length, int32_t tabstop) {
    while (length > 0 && is_blank(buffer[length - 1])) --length;
    int32_t out = 0, column = 0, run = 0;
    for (int32_t in = 0; in < length; ++in, ++column) {
        char c = buffer[in];
        buffer[out++] = c;
        if (c == '\t') {
            column = next_tab_stop(column, tabstop) - 1;
            run = 0;
        } else if (!is_blank(c)) {
            run = 0;
        } else if (++run, next_tab_stop(column, tabstop) == column + 1) {
            out -= run;
            buffer[out++] = '\t';
            run = 0;
        }
    }
    return out;
}

DiskIdentity disk_identity(const char* path) {
    struct stat st;
    if (::stat(path, &st) != 0) return DiskIdentity{};
    return {1, static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size),
            static_cast<int64_t>(st.st_mtim.tv_sec), static_cast<int64_t>(st.st_mtim.tv_nsec)};
}

bool disk_changed(const DiskIdentity& then, const char* path) {
    if (!then.known) return false;
    DiskIdentity now = disk_identity(path);
    return now.known && (now.device != then.device || now.inode != then.inode || now.size != then.size ||
                         now.mtimeSeconds != then.mtimeSeconds || now.mtimeNanoseconds != then.mtimeNanoseconds);
}

int open_regular_file(const char* path, int32_t& why) {
    // Without O_NONBLOCK a FIFO would wait here for a writer, a serial line for carrier.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = errno;
        return -1;
    }
    struct stat st;
    int flags = 0;
    if (::fstat(fd, &st) != 0) why = errno;
    else if (S_ISDIR(st.st_mode)) why = EISDIR;
    else if (!S_ISREG(st.st_mode)) why = NOT_REGULAR_FILE;
    else if ((flags = ::fcntl(fd, F_GETFL)) < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) why = errno;
    else {
        why = 0;
        return fd;
    }
    ::close(fd);
    return -1;
}

namespace {
constexpr std::string_view TEMPORARY_SUFFIX = ".qx-XXXXXX";
}  // namespace

PathText temporary_name(std::string_view path) {
    constexpr std::string_view SUFFIX = TEMPORARY_SUFFIX;
    std::size_t slash = path.rfind('/');
    std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    // A long name is cut so that the hidden name still fits a directory entry.
    std::string_view base = path.substr(start, NAME_MAX - 1 - SUFFIX.size());
    PathText temp(path.substr(0, start));
    temp += '.';
    temp += base;
    temp += SUFFIX;
    return temp;
}

int create_temporary_file(std::string_view path, PathText& name) {
    // A name cut short could lose its random part and so name another file.
    if (path.size() + 1 + TEMPORARY_SUFFIX.size() > PathText::capacity()) {
        name = PathText();
        errno = ENAMETOOLONG;
        return -1;
    }
    name = temporary_name(path);
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) name = PathText();
    return fd;
}

int32_t read_text_lines(const char* path, LineList& target, uint32_t& chars, uint32_t& lines, int32_t& format,
                        const TabTranslation& tabs) {
    format = 'u';
    chars = lines = 0;
    int32_t why = 0;
    FileHandle file(open_regular_file(path, why));
    if (file.get() < 0) return MSG_CANNOT_OPEN;

    VallocObject<BlockReader> reader(file.get());
    char expanded[READ_PIECE + MAX_TAB_GROWTH + 1];
    int32_t result = MSG_SUCCESS;
    // What the rest of the file will take in memory, at the rate so far, so that the
    // allocator gives its last block no huge pages it would fill only in part.
    struct stat st;
    const uint64_t size = ::fstat(file.get(), &st) == 0 && st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    uint64_t stored = 0;
    // A line end counts by the current file's format as detected so far: while a file
    // is opened, format is that very slot.
    auto line_end_chars = [] { return CurrentFile.text.format == 'd' ? 2u : 1u; };
    uint32_t line_end = line_end_chars();
    // What changes a line is kept in locals, out of reach of the stores into lines,
    // so that it can stay in registers.
    const char* buffer = reader->data();
    std::size_t pos = 0, end = 0;
    bool eof = false;
    uint64_t passed = 0;   // file bytes before the buffer's start
    uint32_t char_count = 0, line_count = 0;
    // The lines go end to end into the allocator's room for packed blocks, which hears
    // of them once the room is used up; they are linked to the list as they come, which
    // learns its count and last line then too.
    unsigned char* at = nullptr;
    std::size_t room = 0, used = 0;
    uint32_t blocks = 0;
    const uint32_t count_before = target.count;
    ListLink* tail = target.count > 0 ? target.last : &target;
    auto update_list = [&] {
        if (line_count == 0) return;
        if (count_before == 0) target.first = target.next;   // linked as the header's next
        target.count = count_before + line_count;
        target.last = tail;
    };
    auto take = [&](std::size_t bytes) -> Line* {
        if (bytes > room) {
            valloc_packed_taken(used, blocks);
            used = blocks = 0;
            update_list();
            PackedRoom fresh = valloc_packed_room(bytes);
            at = fresh.start;
            room = fresh.bytes;
            if (bytes > room) return static_cast<Line*>(valloc_packed(bytes));   // each its own (sanitizer builds)
        }
        auto* line = reinterpret_cast<Line*>(at);
        at += bytes;
        room -= bytes;
        used += bytes;
        ++blocks;
        return line;
    };
    for (;;) {
        if (end - pos < READ_PIECE && !eof) {
            passed += pos;
            reader->refill(pos);
            pos = 0;
            end = reader->end();
            eof = reader->at_end();
        }
        if (pos == end) break;
        const char* text = buffer + pos;
        char* in_place = room >= sizeof(Line) + READ_PIECE ? reinterpret_cast<char*>(at) + sizeof(Line) : nullptr;
        std::size_t n = WIDE_SCAN ? (in_place ? printable_run_wide<true>(text, in_place)
                                              : printable_run_wide<false>(text, nullptr))
                                  : (in_place ? printable_run<true>(text, in_place) : printable_run<false>(text, nullptr));
        // A piece is at most READ_PIECE bytes, its LF included: what follows is the next piece.
        if (n < READ_PIECE && text[n] == '\n') {
            pos += n + 1;
        } else if (n + 1 < READ_PIECE && text[n] == '\r' && text[n + 1] == '\n') {
            pos += n + 2;
            format = 'd';
            line_end = line_end_chars();
        } else {
            in_place = nullptr;
            std::size_t piece = std::min<std::size_t>(end - pos, READ_PIECE);
            if (const void* lf = std::memchr(text, '\n', piece)) piece = static_cast<const char*>(lf) - text + 1;
            pos += piece;
            n = piece;
            // An embedded NUL ends the line's text.
            if (const void* nul = std::memchr(text, '\0', n)) n = static_cast<const char*>(nul) - text;
            for (std::size_t i = 0; i < n; ++i)
                if (!TEXT_BYTES[static_cast<unsigned char>(text[i])]) result = MSG_NOT_TEXT;
            int32_t dropped = 0;
            if (n > 0 && text[n - 1] == '\n') --n, ++dropped;
            if (n > 0 && text[n - 1] == '\r') --n, ++dropped;
            if (dropped == 2) {
                format = 'd';
                line_end = line_end_chars();
            }
            if (tabs.expand && std::memchr(text, '\t', n)) {
                std::memcpy(expanded, text, n);
                expanded[n] = '\0';
                n = static_cast<std::size_t>(expand_tabs(expanded, static_cast<int32_t>(n), tabs.tabstop));
                text = expanded;
            }
        }
        Line* line = take(sizeof(Line) + n);
        if (!in_place && n > 0) std::memcpy(line->text(), text, n);
        line->next.store(nullptr);
        line->prev.store(tail);
        line->length.store(static_cast<int32_t>(n));
        tail->next.store(line);
        tail = line;
        stored += sizeof(Line) + n;
        char_count += static_cast<uint32_t>(n) + line_end;
        if (++line_count % 256 == 0) {
            if (uint64_t consumed = passed + pos; consumed < size)
                expect_packed_bytes(static_cast<std::size_t>((size - consumed) * stored / consumed + 1));
            static_assert(PROGRESS_INTERVAL % 256 == 0);
            if (line_count % PROGRESS_INTERVAL == 0) store_hooks().readProgress(line_count);
        }
        if (result != MSG_SUCCESS) break;   // after the line that holds the first non-text byte
    }
    valloc_packed_taken(used, blocks);
    update_list();
    note_text_change();
    chars = char_count;
    lines = line_count;
    if (chars == 0) {
        list_append(target, new_line(nullptr, 0));
        chars = lines = 1;
    }
    expect_packed_bytes(0);
    release_spare_memory();
    return result;
}

namespace {

// A file being replaced: the new contents go to a temporary file of our own beside
// the target, which is renamed over it only once everything was written.
struct Replacement {
    PathText target;
    PathText temp;
    int fd = -1;
};

// Starts replacing path; false, with nothing touched, when the overwrite is declined
// or the temporary file cannot be made.
bool begin_replacement(const char* path, int32_t no_confirm, Replacement& r) {
    r.target = write_target(path);
    struct stat existing;
    bool exists = ::stat(r.target.c_str(), &existing) == 0;
    if (exists && !no_confirm && !store_hooks().confirmOverwrite()) return false;
    // Only a regular file is replaced: a directory, FIFO or device stays what it is.
    if (exists && !S_ISREG(existing.st_mode)) return false;
    r.fd = create_temporary_file(r.target, r.temp);
    if (r.fd < 0) return false;
    if (take_attributes(r.fd, exists ? &existing : nullptr)) return true;
    ::close(r.fd);
    ::unlink(r.temp.c_str());
    return false;
}

// Ends a replacement: with written (the contents are complete in the temporary file)
// the temporary file takes the target's place; otherwise it goes and the target stays.
bool end_replacement(Replacement& r, bool written) {
    bool ok = written && ::fsync(r.fd) == 0;
    ok = ::close(r.fd) == 0 && ok;
    if (ok && ::rename(r.temp.c_str(), r.target.c_str()) == 0) {
        sync_directory(r.target);
        return true;
    }
    ::unlink(r.temp.c_str());
    return false;
}

}  // namespace

int32_t write_text_file(const char* path, int32_t no_confirm, int32_t format, Line* first,
                        Line* stop, uint32_t& chars, uint32_t& lines, uint32_t& checksum,
                        const TabTranslation& tabs, uint64_t* fingerprint) {
    Replacement file;
    if (!begin_replacement(path, no_confirm, file)) return MSG_CANNOT_OPEN;
    uint32_t c = 0, l = 0, sum = 0;
    uint64_t h = FINGERPRINT_START;
    const char* line_end = format == 'u' ? "\n" : "\r\n";
    std::size_t end_length = format == 'u' ? 1 : 2;
    bool written;
    {
        VallocObject<BlockWriter> writer(file.fd);
        char scratch[READ_PIECE + MAX_TAB_GROWTH + 1];
        for (Line* line = first; line && line != stop; line = next_line(line)) {
            if (line->length > MAX_LINE - 1) line->length = MAX_LINE;
            c += static_cast<uint32_t>(line->length) + static_cast<uint32_t>(end_length);
            ++l;
            uint64_t line_fingerprint;
            sum += line_sums(line->text(), line->length, line_fingerprint);
            h = fingerprint_step(h, line_fingerprint);
            if (tabs.compress) {
                std::memcpy(scratch, line->text(), line->length);
                writer->put(scratch, compress_blanks(scratch, line->length, tabs.tabstop));
            } else {
                writer->put(line->text(), line->length);
            }
            writer->put(line_end, end_length);
        }
        written = writer->flush();
    }
    if (!end_replacement(file, written)) return MSG_CANNOT_OPEN;
    chars = c;
    lines = l;
    checksum = sum;
    if (fingerprint) *fingerprint = h;
    return MSG_SUCCESS;
}

int32_t write_file_bytes(const char* path, int32_t no_confirm, const void* bytes, int32_t n) {
    Replacement file;
    if (!begin_replacement(path, no_confirm, file)) return MSG_CANNOT_OPEN;
    const char* at = static_cast<const char*>(bytes);
    bool written = true;
    for (int32_t done = 0; written && done < n;) {
        ssize_t put = ::write(file.fd, at + done, static_cast<std::size_t>(n - done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) written = false;
        else done += static_cast<int32_t>(put);
    }
    return end_replacement(file, written) ? MSG_SUCCESS : MSG_CANNOT_OPEN;
}

int32_t read_file_bytes(const char* path, void* buffer, int32_t size) {
    int32_t why = 0;
    FileHandle file(open_regular_file(path, why));
    if (file.get() < 0) return -1;
    char* at = static_cast<char*>(buffer);
    int32_t done = 0;
    while (done < size) {
        ssize_t got = ::read(file.get(), at + done, static_cast<std::size_t>(size - done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;   // a read error ends the contents like the end of the file
        done += static_cast<int32_t>(got);
    }
    return done;
}

}  // namespace qx
