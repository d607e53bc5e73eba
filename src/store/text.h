// Files held in memory: their text and view groups, the live state of the file
// being edited, the working copy of the current line, and the modified test.
#pragma once

#include <cstdint>
#include <string_view>

#include "store/fixed_text.h"
#include "store/line.h"

namespace qx {

inline constexpr int32_t MAX_LINE = 382;        // characters per line, columns 0..381
inline constexpr int32_t EDIT_BUFFER_SIZE = 384;
inline constexpr int32_t MAX_FILES = 256;
inline constexpr int32_t MAX_NAME = 255;        // file name characters, without the NUL
inline constexpr int32_t TAG_COUNT = 10;

// When a text's counts were last known to be what a walk over it gives: they still
// are while no text changed and neither the counts nor the format did.
struct CountsHold {
    uint64_t changes;   // TextChanges then; 0 never
    uint32_t chars, lines, checksum;
    uint64_t fingerprint;
    int32_t format;
};

// A file's text group; the line buffers have the same shape.
struct FileText {
    LineList lines;
    int32_t format;        // 'u' LF line ends, 'd' CR LF; 0 while being set up
    uint32_t charCount;    // counts as last read or written
    uint32_t lineCount;
    uint32_t checksum;
    int32_t tags[TAG_COUNT];   // 1-based line numbers, 0 = undefined
    uint64_t fingerprint;      // as last read or written; see fingerprint_step
    CountsHold counted;
    bool sumsPending;          // checksum and fingerprint not taken yet: settle_text_sums
};

// A file's view group.
struct FileView {
    Line* topLine;
    Line* bottomLine;
    int32_t reserved1;
    int32_t reserved2;
    int32_t lastMotion;    // 'H' up, 'P' down, 'K' left, 'M' right
    int32_t cursorColumn;
    int32_t cursorRow;
    int32_t firstColumn;
    int32_t lastColumn;
};

// A file on disk as it was when the editor last read or wrote it: when it differs
// now, someone else changed it.
struct DiskIdentity {
    int32_t known;   // 0 never looked at (a new or unnamed file), 1 seen
    uint64_t device, inode, size;
    int64_t mtimeSeconds, mtimeNanoseconds;
};

// What the editor knows of one file: live for the file being edited, a snapshot in
// its open-file record while another file is current.
struct FileState {
    FileText text;
    FileView view;
    int32_t named;
    Line* currentLine;
    int32_t currentLineNumber;
    char name[MAX_NAME + 1];
    DiskIdentity disk;
};
using CurrentFileState = FileState;

// One open file, a node of the open-file list.
struct EditFile : ListLink, FileState {
    int32_t reserved1;
    int32_t reserved2;
};

struct OpenFileList {
    LineList list;          // EditFile records in opening order
    int32_t currentIndex;   // -1 when no file is current
    EditFile* current;
    int32_t count;          // kept beside the list's own count
};

// The working copy of the current line; blank beyond its length. Loaded is kept
// apart from the length: a line edited down to nothing must still be stored back.
struct LineEditBufferState {
    int32_t length;
    char text[EDIT_BUFFER_SIZE];
    bool loaded;
};

extern CurrentFileState CurrentFile;
extern OpenFileList OpenFiles;
extern LineEditBufferState LineEditBuffer;

inline EditFile* first_open_file() {
    return OpenFiles.list.count ? static_cast<EditFile*>(OpenFiles.list.first) : nullptr;
}
inline EditFile* next_open_file(EditFile* f) { return static_cast<EditFile*>(f->next.get()); }
EditFile* open_file_at(int32_t index);

void line_load();
void line_commit();
// Drops the working copy without storing it (the line it came from is going away).
void line_abandon();

// Characters (each line end counts 1 for 'u', 2 otherwise; +16 more per line in
// memory mode), lines and checksum of a text, and with fingerprint its fingerprint.
void text_count(const FileText& text, bool memory_mode, uint32_t& chars, uint32_t& lines,
                uint32_t& checksum, uint64_t* fingerprint = nullptr);
uint32_t line_checksum(const char* text, int32_t length);

// The checksum is a plain sum: swapped characters, words or lines leave it as it
// was. The fingerprint follows the order: each line's own (of its bytes and length,
// independent of the lines before it) is folded into the text's in line order.
inline constexpr uint64_t FINGERPRINT_START = 0x2545F4914F6CDD1DULL;
inline uint64_t fingerprint_step(uint64_t h, uint64_t word) {
    constexpr uint64_t K = 0x9E3779B97F4A7C15ULL;   // odd: for a given word, a one-to-one step
    return ((h << 29 | h >> 35) + word) * K;
}
// A line's checksum, and its own fingerprint in line_fingerprint, in one pass over
// its words.
uint32_t line_sums(const char* text, int32_t length, uint64_t& line_fingerprint);
// The fingerprint of a text of one empty line (a new file).
uint64_t empty_text_fingerprint();

// A file's text is shown before its checksum and fingerprint are taken: its reader
// counts lines and characters only and marks the sums pending. settle_text_sums takes
// them for every open file that waits; the key reader calls it before it hands out any
// key, so no text can change first, and counts_differ calls it before any comparison.
extern bool TextSumsPending;
void defer_text_sums(FileText& text);
void settle_text_sums();

// Whether a recount differs from the counts stored when the text was read or written.
bool counts_differ(const FileText& text, uint32_t chars, uint32_t lines, uint32_t checksum,
                   uint64_t fingerprint);
// Records that the stored counts are what text_count gives now.
void note_counts_hold(FileText& text);
bool file_is_modified();
bool text_modified(const FileText& text);
bool count_modified_files(int32_t& count);

// The last `width` characters of text, the first three shown as "..." when cut.
RowText shorten_left(std::string_view text, int32_t width);
int32_t leading_blanks(const Line* line);

}  // namespace qx
