#pragma once
// One index file (FoxPro compact compound index layout holding ONE tag named
// after the file's base name; see the format notes): a B+ tree of 512-byte
// pages whose leaves hold bit-packed, front- and tail-compressed keys. Keys
// are ordered by their bytes, equal keys by record number.
//
// Knows no table: the caller computes key bytes (keyexpr.h) and decides which
// records carry a key (the stored FOR text, or an in-memory condition set
// with setCondition for private views).
//
// Sharing between processes: every operation holds the index lock (1 byte at
// kIndexLockOffset; read lock while walking, write lock while changing),
// taken by waiting a few hundred microseconds between attempts. The change
// counter at header offset 8 grows by one with every change; decoded pages
// stay cached only while the counter is the one read under the last lock.
// Cursors remember their (key, recno) and find their place again when the
// file changed meanwhile. An index opened Share::Exclusive or Share::None
// takes no index lock and keeps its cache for its whole life.
//
// Damaged pages (offset beyond the file, bad counts or bit fields) and a bad
// header -> corruptFile(path). Nothing ever reads outside a page.
#include "platform/file.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velt::data {

inline constexpr uint64_t kIndexLockOffset = 0x7FFFFFFE;
inline constexpr uint32_t kCdxPageSize = 512;

// Character keys are the stored bytes, padded with blanks; numeric keys
// (numbers, dates as Julian day numbers, record numbers) are 8 bytes, padded
// with 0x00 in the leaves.
enum class KeyType { Character, Numeric };

// 8-byte big-endian IEEE double with the sign bit flipped for values >= 0 and
// every bit flipped for negative ones, so byte order is numeric order (-0 is
// stored as +0). The empty date is 0, so it sorts before every real date.
void encodeNumberKey(double v, char* out8);
double decodeNumberKey(const char* in8);

struct IndexSpec {
    std::string keyExpr;       // stored text, e.g. "descrizio"
    std::string forExpr;       // stored condition text, e.g. "!DELETED()"; may be empty
    KeyType type = KeyType::Character;
    int keyLength = 0;         // 1..240 for text, 8 for numeric
    bool unique = false;       // a key already present is not added again
    bool descending = false;   // stored in the header; order stays ascending
};

// Input of a bulk build: (key, recno) pairs in any order; build() sorts them.
class KeyList {
public:
    explicit KeyList(int keyLength) : keyLength_(keyLength) {}
    void reserve(size_t n) { keys_.reserve(n * size_t(keyLength_)); recnos_.reserve(n); }
    // `key` holds keyLength bytes.
    void add(const char* key, uint32_t recno)
    {
        keys_.insert(keys_.end(), key, key + keyLength_);
        recnos_.push_back(recno);
    }
    size_t size() const { return recnos_.size(); }
    int keyLength() const { return keyLength_; }
    const char* key(size_t i) const { return keys_.data() + i * size_t(keyLength_); }
    uint32_t recno(size_t i) const { return recnos_[i]; }

private:
    int keyLength_;
    std::vector<char> keys_;
    std::vector<uint32_t> recnos_;
};

// A position in an index. `key` and `recno` are valid when onKey(); atEnd()
// is the position after the last key. Callers read them, never write them.
class IndexCursor {
public:
    bool onKey() const { return state_ == On; }
    bool atEnd() const { return state_ == End; }
    const std::string& key() const { return key_; }
    uint32_t recno() const { return recno_; }
    void reset() { state_ = End; }

private:
    friend class CdxIndex;
    enum State { End, On } state_ = End;
    std::string key_;
    uint32_t recno_ = 0;
    uint64_t generation_ = 0;  // the index's page generation the hint belongs to
    uint32_t leaf_ = 0;        // hint: leaf page offset and entry number
    int slot_ = 0;
};

class CdxIndex {
public:
    using Condition = std::function<bool(const char* record, uint32_t recno)>;

    CdxIndex();
    ~CdxIndex();
    CdxIndex(CdxIndex&&) noexcept;
    CdxIndex& operator=(CdxIndex&&) noexcept;

    // Opens an existing index. Its key type is Character until setKeyType()
    // says otherwise (the header does not store it: the caller knows it from
    // compiling keyExpression()).
    static CdxIndex open(const std::string& path, platform::Access access, platform::Share share);
    // Creates (replacing any file of that name) the index holding `keys`,
    // bottom-up, in one pass of sequential writes.
    static CdxIndex build(const std::string& path, const IndexSpec& def, platform::Share share,
                          const KeyList& keys);

    bool isOpen() const;
    void close() noexcept;
    const std::string& path() const;
    const std::string& tagName() const;        // base name, upper case
    const std::string& keyExpression() const;
    const std::string& forExpression() const;
    int keyLength() const;
    bool unique() const;
    bool descending() const;
    KeyType keyType() const;
    void setKeyType(KeyType t);
    char padByte() const;                      // ' ' or 0x00

    // The in-memory condition of a private view (empty by default): which
    // records carry a key is decided by it rather than by forExpression().
    void setCondition(Condition c);
    const Condition& condition() const;

    // ---- navigation; each returns cur.onKey() afterwards ----
    bool first(IndexCursor& cur);
    bool last(IndexCursor& cur);
    // Next key; past the last key the cursor goes atEnd() and false returns.
    bool next(IndexCursor& cur);
    // Previous key; from atEnd() goes to the last key. Before the first key
    // returns false and leaves the cursor on the first key.
    bool prev(IndexCursor& cur);
    // Positions on the first key whose first key.size() bytes are >= `key`
    // (key may be shorter than keyLength(): a prefix). Returns the found
    // flag: those bytes equal `key`. Past every key: atEnd(), false.
    bool seek(IndexCursor& cur, std::string_view key);
    // Positions on the last key whose first key.size() bytes are <= `key`
    // (for a bottom scope); false and atEnd() when there is none.
    bool seekLast(IndexCursor& cur, std::string_view key);
    // Positions on the first entry >= (key, recno); true when it is exactly
    // that entry (used to put the index on a table's current record).
    bool seekEntry(IndexCursor& cur, std::string_view key, uint32_t recno);

    // Number of keys; with scopes, of the keys whose leading bytes are
    // >= top (over top's length) and <= bottom (over bottom's length).
    uint64_t count();
    uint64_t count(std::optional<std::string_view> top, std::optional<std::string_view> bottom);
    // Number of keys before the cursor's key (exact, walks the leaf chain:
    // one cached page read per leaf). atEnd() gives count().
    uint64_t ordinal(IndexCursor& cur);
    // Positions on the key with ordinal n (0-based: n keys before it), the
    // inverse of ordinal(); past the last key: atEnd(), false. Walks the leaf
    // chain by the key counts of the page headers, decoding only the leaf
    // that holds the key.
    bool seekOrdinal(IndexCursor& cur, uint64_t n);
    // Where the cursor stands, 0.0 (first key) .. 1.0 (last key), for the
    // scroll bar: exact (ordinal / count) up to 200,000 keys; beyond, estimated
    // from its path through the tree (child number / children at each level)
    // without reading any leaf but its own.
    double relativePosition(IndexCursor& cur);

    // ---- changes (write lock, counter + 1) ----
    void insert(std::string_view key, uint32_t recno);
    // Removes the entry; false when it is not there.
    bool remove(std::string_view key, uint32_t recno);
    // remove(oldKey) + insert(newKey) under one lock; nothing when equal.
    void replace(std::string_view oldKey, std::string_view newKey, uint32_t recno);
    // Removes every key (the file keeps its header and one empty root leaf).
    void clear();
    void flush();   // fsync

    // Holds the read (or write) index lock across several operations, e.g. a
    // browse redrawing a page of rows. Nestable; operations inside don't
    // lock again.
    class Hold {
    public:
        Hold(CdxIndex& ix, bool write);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        CdxIndex& ix_;
    };

    // The change counter as last read (tests and diagnostics).
    uint32_t changeCounter() const;

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};

} // namespace velt::data
