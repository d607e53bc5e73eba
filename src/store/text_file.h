// Reading a text file into lines and writing lines back through a temporary file.
#pragma once

#include <climits>
#include <cstdint>
#include <string_view>

#include "store/fixed_text.h"
#include "store/line.h"
#include "store/text.h"

namespace qx {

inline constexpr int32_t READ_PIECE = 384;           // bytes per read, LF included
inline constexpr int32_t MAX_TAB_GROWTH = 254;       // spaces expand_tabs may add
inline constexpr int32_t PROGRESS_INTERVAL = 524288; // lines between progress reports

// A full path, with room for the hidden temporary name made from it.
using PathText = FixedText<PATH_MAX + 16>;

// TAB handling: expanded to blanks on reading, blanks compressed into TABs on
// writing; tabstop is at least 1.
struct TabTranslation {
    bool expand;
    bool compress;
    int32_t tabstop;
};

// Appends the file's lines to target. Result 0, 3 (cannot open) or 8 (not text).
// Counts characters and lines only: the checksum and fingerprint come later
// (defer_text_sums in text.h).
int32_t read_text_lines(const char* path, LineList& target, uint32_t& chars, uint32_t& lines, int32_t& format,
                        const TabTranslation& tabs);

// Writes first up to (not including) stop. Result 0 or 3. The counts are set only
// when the file was written completely. Writing over an existing file asks first
// (the confirmOverwrite hook) unless no_confirm.
int32_t write_text_file(const char* path, int32_t no_confirm, int32_t format, Line* first,
                        Line* stop, uint32_t& chars, uint32_t& lines, uint32_t& checksum,
                        const TabTranslation& tabs, uint64_t* fingerprint = nullptr);

// Writes n bytes to path in the same safe way. Result 0 or 3.
int32_t write_file_bytes(const char* path, int32_t no_confirm, const void* bytes, int32_t n);
// Reads up to size bytes of a regular file: the number read, or -1 when it cannot
// be opened.
int32_t read_file_bytes(const char* path, void* buffer, int32_t size);

int32_t expand_tabs(char* buffer, int32_t length, int32_t tabstop);
int32_t compress_blanks(char* buffer, int32_t length, int32_t tabstop);
int32_t next_tab_stop(int32_t column, int32_t tabstop);

// The identity of the file at path now (known 0 when there is none), and whether
// the file there is no longer the one remembered; a file that has gone is no change
// anything could overwrite.
DiskIdentity disk_identity(const char* path);
bool disk_changed(const DiskIdentity& then, const char* path);

// Why a path cannot be read: an errno value, or NOT_REGULAR_FILE for a FIFO, device
// or socket, which could block or never end.
inline constexpr int32_t NOT_REGULAR_FILE = -1;

// Opens a regular file (or a link to one) for reading without ever waiting. Returns
// the descriptor, or -1 with the reason in why.
int open_regular_file(const char* path, int32_t& why);

// The pattern of the temporary names beside path: hidden, in path's directory, its
// last six characters (XXXXXX) replaced by a random part on creation.
PathText temporary_name(std::string_view path);

// Creates a new, empty temporary file beside path with mode 0600 under a name no
// other file has. Returns the descriptor (-1 on failure) and the name in name.
int create_temporary_file(std::string_view path, PathText& name);

}  // namespace qx
