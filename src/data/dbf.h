#pragma once
// One DBF table file (FoxPro 2.x layout, see the format notes): header and
// field descriptors, fixed-length records, the deleted flag, appends that
// stay readable after a crash, zap, and the codecs of the field types over a
// record buffer. Knows nothing of slots, aliases or waits: that is the table
// access layer, which owns the locking policy (the lock offsets are here
// because they are part of the file's contract with other programs).
//
// Record numbers are 1-based. A record buffer is recordLength() bytes: the
// flag byte (' ' live, '*' deleted) followed by the fields side by side.
//
// Record count and crashes: an append writes the record (and the 0x1A end
// byte) before the header count that covers it, so a crash can leave extra
// bytes past the counted records, which are ignored and overwritten by the
// next append. A header count that runs past the end of the file (the header
// reached the disk, the record did not) is tolerated for ONE record: the
// count is taken as the number of whole records present, and the next append
// writes the header again. A shortfall of more than one record means the
// file was cut or is damaged: corruptFile.
#include "data/fpt.h"
#include "platform/file.h"
#include "util/value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velt::data {

using platform::Access;
using platform::Share;

// Lock ranges in the table file (see the format notes).
inline constexpr uint64_t kLockBase = 4000000000ULL;                  // append lock: 1 byte here
inline constexpr uint64_t recordLockOffset(uint32_t recno) { return kLockBase + recno; }
inline constexpr uint64_t kTableLockOffset = kLockBase + 1;
inline constexpr uint64_t kTableLockLength = 294967295ULL;

// A field as the caller defines it (name up to 10 characters, upper-cased on
// create; type C N D L M; width and decimals; D is 8, L 1, M 10 wide).
struct FieldDef {
    std::string name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
};

// A field of an open table: its definition plus its byte offset inside the
// record buffer (the flag byte is offset 0, so the first field is at 1).
struct FieldInfo : FieldDef {
    int offset = 0;
};

class DbfTable {
public:
    DbfTable() = default;
    DbfTable(DbfTable&&) noexcept = default;
    DbfTable& operator=(DbfTable&&) noexcept = default;

    // Opens an existing table (and its memo file, name with ".DBT", when a
    // field is M). Damaged header or descriptors -> corruptFile(path).
    static DbfTable open(const std::string& path, Access access, Share share);
    // Creates the table with these fields, empty, and its memo file when a
    // field is M; replaces existing files of that name. Bad definitions
    // (empty/long/duplicate name, unknown type, bad width) -> reportError.
    // The date of last update is today's date from the platform clock.
    static DbfTable create(const std::string& path, const std::vector<FieldDef>& fields, Share share);

    bool isOpen() const { return file_.isOpen(); }
    void close() noexcept;
    const std::string& path() const { return file_.path(); }
    platform::File& file() { return file_; }
    // Base name of the table in capitals ("ARTICOLI"), used in messages.
    const std::string& name() const { return name_; }

    const std::vector<FieldInfo>& fields() const { return fields_; }
    // Index of the field by name (case-insensitive), -1 when absent.
    int fieldIndex(std::string_view name) const;
    size_t recordLength() const { return recLen_; }
    uint32_t headerLength() const { return hdrLen_; }
    bool hasMemo() const { return memo_ != nullptr; }
    FptMemo* memo() { return memo_.get(); }

    // Record count as last read or written by this handle.
    uint32_t recordCount() const { return count_; }
    // Re-reads the count from the header (other processes append) applying
    // the crash rule above; returns it.
    uint32_t refreshCount() { return rereadCount(); }

    // Reads record `recno` into buf; a number past the count this handle knows
    // re-reads the count first (another process may have appended it).
    // Beyond the count: reportError. A record the file does not hold whole -> corruptFile.
    void readRecord(uint32_t recno, char* buf) const;
    // Rewrites record `recno` (1..recordCount()).
    void writeRecord(uint32_t recno, const char* buf);
    // Appends buf as record recordCount()+1 (after refreshCount(), so an
    // append by another process is never overwritten; the caller holds the
    // append/table lock): record and end byte first, then the header count
    // and date. Returns the new record number.
    uint32_t appendRecord(const char* buf);
    // Removes every record (header count 0, file cut after the header and the
    // end byte); the memo file is emptied too. Exclusive opens only.
    void zap();
    // Writes the header date of last update (today) without other changes.
    void touchDate();
    void flush();   // fsync table and memo

    // A blank record: flag ' ', every field blanks.
    std::string blankRecord() const;

    // ---- field codecs over a record buffer ----
    static bool isDeleted(const char* rec) { return rec[0] == '*'; }
    static void setDeleted(char* rec, bool deleted) { rec[0] = deleted ? '*' : ' '; }
    // The stored bytes of field i (Windows-1252, padded as stored).
    std::string_view fieldBytes(const char* rec, int i) const;
    // Value of field i: C -> UTF-8 text WITH its trailing blanks (full
    // width, as stored); N -> number (blanks or garbage read as 0); D -> date;
    // L -> logical ("T", "t", "Y", "y" true); M -> the memo text in UTF-8
    // (empty when the field is blank).
    Value getValue(const char* rec, int i) const;
    // Stores v in field i. C: converted to Windows-1252, cut to the width,
    // padded with blanks. N: ROUNDed to the decimals and right aligned; a
    // value that does not fit throws reportError naming table and field and
    // leaves the buffer untouched. D: "YYYYMMDD" or blanks. L: "T"/"F".
    // M: writes the memo (reusing its blocks when it fits) and stores the
    // block number; empty text stores blanks. Nil stores the type's empty
    // value; a value of the wrong type -> reportError.
    void putValue(char* rec, int i, const Value& v);

    // Number formatting of an N field, shared with tests and reports: the
    // exact bytes stored for v, or nullopt when it does not fit.
    static std::optional<std::string> formatNumber(double v, int width, int decimals);
    static double parseNumber(std::string_view bytes);

private:
    void readHeader();
    // Nobody else has the file open (exclusive or private open): the count
    // this handle wrote last is the file's.
    bool alone() const { return file_.share() != Share::Shared; }
    // Header bytes 0..31 mapped for writing on an exclusive open on a local
    // disk (nullptr otherwise): the count of an append then costs no system
    // call. Mapped on first use.
    unsigned char* headerMap();
    uint32_t rereadCount() const;
    void writeCount(uint32_t count);
    [[noreturn]] void fieldError(int i, const std::string& what) const;

    platform::File file_;
    std::unique_ptr<FptMemo> memo_;
    std::vector<FieldInfo> fields_;
    std::string name_;
    mutable uint32_t count_ = 0;
    mutable bool checked_ = false;
    std::string appendBuf_;  // record + end byte of the last append (no allocation per append)
    platform::FileMap headMap_;
    int headMapState_ = 0;   // 0 not tried, 1 mapped, -1 written through the file
    uint32_t hdrLen_ = 0;
    size_t recLen_ = 0;
};

// The memo file name of a table: extension replaced by ".DBT".
std::string memoPathFor(const std::string& tablePath);

} // namespace velt::data
