#include "data/cdx.h"

#include "platform/fs.h"
#include "util/errors.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cctype>
#include <cstring>
#include <numeric>
#include <unordered_map>

namespace velt::data {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr uint32_t kDirHeader = 0;
constexpr uint32_t kDirLeaf = 1024;
constexpr uint32_t kTagHeader = 1536;
constexpr uint32_t kFirstPage = 2560;
constexpr int kLeafData = kCdxPageSize - 24;       // 488 bytes for entries and keys
constexpr int kInteriorData = kCdxPageSize - 12;   // 500 bytes for entries
constexpr size_t kMaxCachedNodes = 50000;   // decoded pages kept (tens of MB at most)
constexpr uint64_t kExactPositionLimit = 200000;

uint32_t le32(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t be32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
void putLe32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void putLe16(unsigned char* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void putBe32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

int bitsFor(uint64_t v)
{
    int b = 0;
    while (v) ++b, v >>= 1;
    return b;
}

struct Node {
    bool leaf = true;
    uint32_t left = kNone, right = kNone;
    std::vector<char> keys;          // n * keyLen
    std::vector<uint32_t> recnos;
    std::vector<uint32_t> children;  // interior only
    bool dirty = false;
    uint32_t self = 0;               // its page offset
    int n() const { return int(recnos.size()); }
    const char* key(int i, int kl) const { return keys.data() + size_t(i) * size_t(kl); }
};

struct Layout {
    int bytes, recBits, cntBits;
};

// The smallest entry size whose bit fields hold the largest record number
// and the key length; the record number takes the bits left over.
Layout layoutFor(uint32_t maxRecno, int keyLen)
{
    int cnt = std::max(1, bitsFor(uint64_t(keyLen)));
    int rec = std::max(1, bitsFor(maxRecno));
    int bytes = (rec + 2 * cnt + 7) / 8;
    if (bytes < 3) bytes = 3;
    return {bytes, bytes * 8 - 2 * cnt, cnt};
}

int trailingPad(const char* k, int kl, char pad)
{
    int t = 0;
    while (t < kl && k[kl - 1 - t] == pad) ++t;
    return t;
}

int commonPrefix(const char* a, const char* b, int kl)
{
    int d = 0;
    while (d < kl && a[d] == b[d]) ++d;
    return d;
}

uint64_t nextGeneration()
{
    static std::atomic<uint64_t> g{0};
    return ++g;
}

// Decoded pages by page number (offset / 512): a direct table, no hashing,
// as large as the part of the file that was read.
class PageCache {
public:
    Node* get(uint32_t off) const
    {
        size_t i = off / kCdxPageSize;
        return i < pages_.size() ? pages_[i].get() : nullptr;
    }
    Node* put(uint32_t off, std::unique_ptr<Node> nd)
    {
        size_t i = off / kCdxPageSize;
        if (i >= pages_.size()) pages_.resize(std::max(i + 1, pages_.size() * 2));
        if (!pages_[i]) ++count_;
        pages_[i] = std::move(nd);
        return pages_[i].get();
    }
    void erase(uint32_t off)
    {
        size_t i = off / kCdxPageSize;
        if (i < pages_.size() && pages_[i]) {
            pages_[i].reset();
            --count_;
        }
    }
    void clear()
    {
        pages_.clear();
        count_ = 0;
    }
    size_t size() const { return count_; }

private:
    std::vector<std::unique_ptr<Node>> pages_;
    size_t count_ = 0;
};

} // namespace

void encodeNumberKey(double v, char* out8)
{
    uint64_t bits;
    if (v == 0) v = 0.0;   // -0 and +0 are one key
    std::memcpy(&bits, &v, 8);
    if (bits >> 63) bits = ~bits;
    else bits |= uint64_t(1) << 63;
    for (int i = 0; i < 8; ++i) out8[i] = char(uint8_t(bits >> (56 - 8 * i)));
}

double decodeNumberKey(const char* in8)
{
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = bits << 8 | uint8_t(in8[i]);
    if (bits >> 63) bits &= ~(uint64_t(1) << 63);
    else bits = ~bits;
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

struct CdxIndex::Impl {
    platform::File file;
    platform::FileMap head;         // the header words, for shared opens
    std::string tag, keyExpr, forExpr;
    int keyLen = 0;
    KeyType type = KeyType::Character;
    char pad = ' ';
    bool unique = false, descending = false;
    uint32_t tagHeader = kTagHeader;
    uint32_t root = 0, freeList = kNone, counter = 0;
    bool needLocks = false;
    int depth = 0;
    bool writeHeld = false;
    bool changed = false;           // a change op ran under the current lock
    uint64_t fileSize = 0;
    // Page generation: a value no other index and no earlier state of this
    // one ever had, so a cursor's hint is only trusted where it was made.
    uint64_t generation = nextGeneration();
    uint64_t countGen = 0, countValue = 0;
    PageCache cache;
    Condition condition;
    std::string scratch, scratch2;  // key buffers of the operations
    std::vector<uint32_t> dirtyList;

    const std::string& path() const { return file.path(); }
    [[noreturn]] void corrupt(const char* what) const { throw corruptFile(path(), what); }

    int cmp(const char* ka, uint32_t ra, const char* kb, uint32_t rb) const
    {
        int c = std::memcmp(ka, kb, size_t(keyLen));
        if (c) return c;
        return ra < rb ? -1 : ra > rb ? 1 : 0;
    }

    // Shared opens on a local disk read the header words through a mapping:
    // one system call less at every lock. The file never gets shorter than
    // its first pages. On a network share another computer's change reaches
    // a mapping late, so there the words are read from the file under the lock.
    void mapHeader()
    {
        if (needLocks && fileSize >= tagHeader + 12 && file.onLocalDisk())
            head = platform::FileMap(file, tagHeader + 12);
    }

    // ---- locks and the cache ----
    void readHeaderWords()
    {
        unsigned char h[12];
        if (head.size() >= tagHeader + sizeof h) std::memcpy(h, head.data() + tagHeader, sizeof h);
        else file.readExact(tagHeader, h, sizeof h);
        root = le32(h);
        freeList = le32(h + 4);
        uint32_t c = le32(h + 8);
        if (c != counter) {
            // Another process changed the file: its pages and length are news.
            counter = c;
            dropCache();
            fileSize = file.size();
        }
    }

    void dropCache()
    {
        cache.clear();
        dirtyList.clear();
        generation = nextGeneration();
    }

    void acquire(bool write)
    {
        if (depth > 0) {
            if (write && !writeHeld && needLocks) {
                // Upgrade: a read hold asked for a change. Let go and take the
                // write lock; the counter check below catches any change between.
                file.unlock(kIndexLockOffset, 1);
                while (!file.tryWriteLock(kIndexLockOffset, 1)) platform::shortPause();
                writeHeld = true;
                readHeaderWords();
            }
            ++depth;
            return;
        }
        if (needLocks) {
            if (cache.size() > kMaxCachedNodes) dropCache();
            for (;;) {
                bool ok = write ? file.tryWriteLock(kIndexLockOffset, 1) : file.tryReadLock(kIndexLockOffset, 1);
                if (ok) break;
                platform::shortPause();
            }
            writeHeld = write;
            try {
                readHeaderWords();
            } catch (...) {
                file.unlock(kIndexLockOffset, 1);
                throw;
            }
        } else {
            if (cache.size() > kMaxCachedNodes) dropCache();
            writeHeld = true;
        }
        depth = 1;
    }

    void release() noexcept
    {
        if (--depth > 0) return;
        depth = 0;
        if (needLocks) {
            try {
                file.unlock(kIndexLockOffset, 1);
            } catch (...) {
            }
        }
        writeHeld = false;
    }

    struct Guard {
        Impl& d;
        Guard(Impl& d, bool write) : d(d) { d.acquire(write); }
        ~Guard() { d.release(); }
    };

    // ---- pages ----
    void checkPage(uint32_t off) const
    {
        if (off == kNone || off < 1024 || off % kCdxPageSize != 0 || uint64_t(off) + kCdxPageSize > fileSize)
            corrupt("index page out of range");
    }

    Node* node(uint32_t off)
    {
        if (Node* hit = cache.get(off)) return hit;
        checkPage(off);
        unsigned char p[kCdxPageSize];
        file.readExact(off, p, sizeof p);
        auto nd = std::make_unique<Node>();
        nd->self = off;
        decode(p, *nd);
        Node* r = nd.get();
        cache.put(off, std::move(nd));
        return r;
    }

    void decode(const unsigned char* p, Node& nd) const
    {
        uint16_t attr = le16(p);
        int n = le16(p + 2);
        nd.left = le32(p + 4);
        nd.right = le32(p + 8);
        nd.leaf = (attr & 2) != 0;
        if (attr > 3) corrupt("index page attributes");
        const size_t kl = size_t(keyLen);
        nd.keys.resize(size_t(n) * kl);
        nd.recnos.resize(size_t(n));
        if (!nd.leaf) {
            if (n * (keyLen + 8) > kInteriorData) corrupt("index page key count");
            nd.children.resize(size_t(n));
            const unsigned char* e = p + 12;
            for (int i = 0; i < n; ++i, e += kl + 8) {
                std::memcpy(nd.keys.data() + size_t(i) * kl, e, kl);
                nd.recnos[size_t(i)] = be32(e + kl);
                nd.children[size_t(i)] = be32(e + kl + 4);
            }
            return;
        }
        uint32_t recMask = le32(p + 14);
        int dupMask = p[18], trailMask = p[19];
        int recBits = p[20], dupBits = p[21], trailBits = p[22], bpe = p[23];
        (void)recMask;
        (void)dupMask;
        (void)trailMask;
        if (n > 0 && (bpe < 1 || bpe > 8 || recBits + dupBits + trailBits > bpe * 8 || recBits > 32 ||
                      dupBits > 16 || trailBits > 16))
            corrupt("index leaf bit fields");
        if (n * bpe > kLeafData) corrupt("index page key count");
        int keyEnd = int(kCdxPageSize);          // key bytes grow down from here
        const int entriesEnd = 24 + n * bpe;
        for (int i = 0; i < n; ++i) {
            uint64_t v = 0;
            const unsigned char* e = p + 24 + i * bpe;
            for (int b = bpe - 1; b >= 0; --b) v = v << 8 | e[b];
            uint32_t rec = uint32_t(v & ((uint64_t(1) << recBits) - 1));
            int dup = int((v >> recBits) & ((uint64_t(1) << dupBits) - 1));
            int trail = int((v >> (recBits + dupBits)) & ((uint64_t(1) << trailBits) - 1));
            if (dup + trail > keyLen || (i == 0 && dup > 0)) corrupt("index leaf counts");
            int stored = keyLen - dup - trail;
            keyEnd -= stored;
            if (keyEnd < entriesEnd) corrupt("index leaf keys overflow");
            char* k = nd.keys.data() + size_t(i) * kl;
            if (dup) std::memcpy(k, k - kl, size_t(dup));
            std::memcpy(k + dup, p + keyEnd, size_t(stored));
            std::memset(k + dup + stored, pad, size_t(trail));
            nd.recnos[size_t(i)] = rec;
        }
    }

    // Bytes the leaf needs for entries and keys.
    int leafBytes(const Node& nd) const
    {
        int n = nd.n();
        if (n == 0) return 0;
        uint32_t maxRec = *std::max_element(nd.recnos.begin(), nd.recnos.end());
        Layout L = layoutFor(maxRec, keyLen);
        int total = n * L.bytes;
        for (int i = 0; i < n; ++i) {
            const char* k = nd.key(i, keyLen);
            int trail = trailingPad(k, keyLen, pad);
            int dup = i ? std::min(commonPrefix(k, k - keyLen, keyLen), keyLen - trail) : 0;
            total += keyLen - dup - trail;
        }
        return total;
    }

    bool fits(const Node& nd) const
    {
        if (nd.leaf) return leafBytes(nd) <= kLeafData;
        return nd.n() * (keyLen + 8) <= kInteriorData;
    }

    void encode(const Node& nd, bool isRoot, unsigned char* p) const
    {
        std::memset(p, 0, kCdxPageSize);
        int n = nd.n();
        putLe16(p, uint16_t((nd.leaf ? 2 : 0) | (isRoot ? 1 : 0)));
        putLe16(p + 2, uint16_t(n));
        putLe32(p + 4, nd.left);
        putLe32(p + 8, nd.right);
        const size_t kl = size_t(keyLen);
        if (!nd.leaf) {
            unsigned char* e = p + 12;
            for (int i = 0; i < n; ++i, e += kl + 8) {
                std::memcpy(e, nd.key(i, keyLen), kl);
                putBe32(e + kl, nd.recnos[size_t(i)]);
                putBe32(e + kl + 4, nd.children[size_t(i)]);
            }
            return;
        }
        uint32_t maxRec = n ? *std::max_element(nd.recnos.begin(), nd.recnos.end()) : 0;
        Layout L = layoutFor(maxRec, keyLen);
        uint64_t recMask = (uint64_t(1) << L.recBits) - 1;
        putLe32(p + 14, uint32_t(std::min<uint64_t>(recMask, 0xFFFFFFFFu)));
        p[18] = uint8_t((1 << L.cntBits) - 1);
        p[19] = uint8_t((1 << L.cntBits) - 1);
        p[20] = uint8_t(L.recBits);
        p[21] = uint8_t(L.cntBits);
        p[22] = uint8_t(L.cntBits);
        p[23] = uint8_t(L.bytes);
        int keyEnd = int(kCdxPageSize);
        for (int i = 0; i < n; ++i) {
            const char* k = nd.key(i, keyLen);
            int trail = trailingPad(k, keyLen, pad);
            int dup = i ? std::min(commonPrefix(k, k - keyLen, keyLen), keyLen - trail) : 0;
            int stored = keyLen - dup - trail;
            keyEnd -= stored;
            if (keyEnd < 24 + n * L.bytes) corrupt("index leaf overflow while writing");
            std::memcpy(p + keyEnd, k + dup, size_t(stored));
            uint64_t v = uint64_t(nd.recnos[size_t(i)]) | uint64_t(dup) << L.recBits |
                         uint64_t(trail) << (L.recBits + L.cntBits);
            unsigned char* e = p + 24 + i * L.bytes;
            for (int b = 0; b < L.bytes; ++b) e[b] = uint8_t(v >> (8 * b));
        }
        putLe16(p + 12, uint16_t(keyEnd - (24 + n * L.bytes)));
    }

    uint32_t allocPage()
    {
        if (freeList != kNone) {
            uint32_t off = freeList;
            checkPage(off);
            unsigned char b[4];
            file.readExact(off, b, 4);
            freeList = le32(b);
            cache.erase(off);
            return off;
        }
        uint64_t end = (fileSize + kCdxPageSize - 1) / kCdxPageSize * kCdxPageSize;
        if (end < kFirstPage) end = kFirstPage;
        if (end + kCdxPageSize > 0xFFFFFFFFull) throw reportError("indice troppo grande", path(), "write");
        fileSize = end + kCdxPageSize;
        return uint32_t(end);
    }

    Node* newNode(uint32_t& off, bool leaf)
    {
        off = allocPage();
        auto nd = std::make_unique<Node>();
        nd->leaf = leaf;
        nd->self = off;
        touch(nd.get());
        Node* r = nd.get();
        cache.put(off, std::move(nd));
        return r;
    }

    // A freed page joins the free list: its first 4 bytes link the next one.
    void freePage(uint32_t off)
    {
        cache.erase(off);
        unsigned char p[kCdxPageSize] = {};
        putLe32(p, freeList);
        putLe32(p + 4, kNone);
        putLe32(p + 8, kNone);
        file.writeAt(off, p, sizeof p);
        freeList = off;
    }

    void setLeft(uint32_t off, uint32_t left)
    {
        if (off == kNone) return;
        Node* nd = node(off);
        nd->left = left;
        touch(nd);
    }

    // After a failed change: nothing in memory is trusted any more.
    void forgetChanges() noexcept
    {
        dropCache();
        countGen = 0;
        try {
            unsigned char h[12];
            file.readExact(tagHeader, h, sizeof h);
            root = le32(h);
            freeList = le32(h + 4);
            counter = le32(h + 8);
            fileSize = file.size();
        } catch (...) {
        }
    }

    // Pages changed by the running operation, written by commit().
    void touch(Node* nd)
    {
        if (nd->dirty) return;
        nd->dirty = true;
        dirtyList.push_back(nd->self);
    }

    // Writes every changed page and the header words with the counter + 1.
    void commit()
    {
        unsigned char p[kCdxPageSize];
        for (uint32_t off : dirtyList) {
            Node* nd = cache.get(off);
            if (!nd || !nd->dirty) continue;   // freed meanwhile, or written
            encode(*nd, off == root, p);
            file.writeAt(off, p, sizeof p);
            nd->dirty = false;
        }
        dirtyList.clear();
        ++counter;
        unsigned char h[12];
        putLe32(h, root);
        putLe32(h + 4, freeList);
        putLe32(h + 8, counter);
        file.writeAt(tagHeader, h, sizeof h);
        generation = nextGeneration();
    }

    // ---- walking ----
    struct Step {
        uint32_t off;
        Node* nd;
        int idx;
    };

    // First entry >= (key, recno) in a node, by binary search.
    int lowerBound(const Node& nd, const char* key, uint32_t recno) const
    {
        int lo = 0, hi = nd.n();
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            if (cmp(nd.key(mid, keyLen), nd.recnos[size_t(mid)], key, recno) < 0) lo = mid + 1;
            else hi = mid;
        }
        return lo;
    }

    // Root-to-leaf path towards the first entry >= (key, recno); the leaf's
    // idx may equal its count when every entry is smaller.
    void descend(const char* key, uint32_t recno, std::vector<Step>& path)
    {
        path.clear();
        uint32_t off = root;
        for (int level = 0;; ++level) {
            if (level > 64) corrupt("index tree too deep");
            Node* nd = node(off);
            int i = lowerBound(*nd, key, recno);
            if (nd->leaf) {
                path.push_back({off, nd, i});
                return;
            }
            if (nd->n() == 0) corrupt("empty index interior page");
            if (i == nd->n()) i = nd->n() - 1;
            path.push_back({off, nd, i});
            off = nd->children[size_t(i)];
        }
    }

    // Moves (leaf, slot) onto a real entry, following right links past the
    // end of a leaf; false at the end of the index.
    bool settleForward(uint32_t& leaf, int& slot)
    {
        for (int guard = 0;; ++guard) {
            Node* nd = node(leaf);
            if (slot < nd->n()) return true;
            if (nd->right == kNone) return false;
            if (guard > 1000000) corrupt("index leaf chain loops");
            leaf = nd->right;
            slot = 0;
        }
    }

    bool settleBackward(uint32_t& leaf, int& slot)
    {
        for (int guard = 0;; ++guard) {
            if (slot >= 0) return true;
            Node* nd = node(leaf);
            if (nd->left == kNone) return false;
            if (guard > 1000000) corrupt("index leaf chain loops");
            leaf = nd->left;
            slot = node(leaf)->n() - 1;
        }
    }

    void place(IndexCursor& c, uint32_t leaf, int slot)
    {
        Node* nd = node(leaf);
        c.state_ = IndexCursor::On;
        c.key_.assign(nd->key(slot, keyLen), size_t(keyLen));
        c.recno_ = nd->recnos[size_t(slot)];
        c.leaf_ = leaf;
        c.slot_ = slot;
        c.generation_ = generation;
    }

    bool positionAt(IndexCursor& c, const char* key, uint32_t recno)
    {
        std::vector<Step> path;
        descend(key, recno, path);
        uint32_t leaf = path.back().off;
        int slot = path.back().idx;
        if (!settleForward(leaf, slot)) {
            c.state_ = IndexCursor::End;
            return false;
        }
        place(c, leaf, slot);
        return true;
    }

    // Brings a cursor back onto its entry (or the first entry after it when
    // it is gone); returns true when it stands exactly on its own entry.
    bool resync(IndexCursor& c)
    {
        if (c.generation_ == generation) {
            Node* nd = cache.get(c.leaf_);
            if (nd && c.slot_ < nd->n()) return true;
        }
        std::string k = c.key_;
        uint32_t r = c.recno_;
        if (!positionAt(c, k.data(), r)) return false;
        return c.recno_ == r && c.key_ == k;
    }

    // A leaf's key count and right neighbour. A cached page answers from
    // memory; any other is read for its first 12 bytes only, not decoded (a
    // page out of the cache is never a changed one: those stay cached).
    int leafCount(uint32_t off, uint32_t& right)
    {
        if (Node* nd = cache.get(off)) {
            if (!nd->leaf) corrupt("index leaf chain reaches an interior page");
            right = nd->right;
            return nd->n();
        }
        checkPage(off);
        unsigned char h[12];
        file.readExact(off, h, sizeof h);
        uint16_t attr = le16(h);
        if (attr > 3 || !(attr & 2)) corrupt("index leaf chain reaches an interior page");
        right = le32(h + 8);
        return le16(h + 2);
    }

    uint32_t leftmostLeaf()
    {
        uint32_t off = root;
        for (int level = 0;; ++level) {
            if (level > 64) corrupt("index tree too deep");
            Node* nd = node(off);
            if (nd->leaf) return off;
            if (nd->n() == 0) corrupt("empty index interior page");
            off = nd->children[0];
        }
    }

    uint32_t rightmostLeaf()
    {
        uint32_t off = root;
        for (int level = 0;; ++level) {
            if (level > 64) corrupt("index tree too deep");
            Node* nd = node(off);
            if (nd->leaf) return off;
            if (nd->n() == 0) corrupt("empty index interior page");
            off = nd->children[size_t(nd->n() - 1)];
        }
    }

    const char* normalize(std::string_view key, std::string& buf) const
    {
        buf.assign(size_t(keyLen), pad);
        std::memcpy(buf.data(), key.data(), std::min(key.size(), size_t(keyLen)));
        return buf.data();
    }

    // ---- changes ----
    // After the last key of path[level]'s node changed, the entries above
    // that point to it take the new last key.
    void fixUpward(std::vector<Step>& path, int level)
    {
        for (int l = level; l > 0; --l) {
            Node* child = path[size_t(l)].nd;
            if (child->n() == 0) return;
            Step& up = path[size_t(l - 1)];
            int last = child->n() - 1;
            std::memcpy(up.nd->keys.data() + size_t(up.idx) * size_t(keyLen), child->key(last, keyLen), size_t(keyLen));
            up.nd->recnos[size_t(up.idx)] = child->recnos[size_t(last)];
            touch(up.nd);
            if (up.idx != up.nd->n() - 1) return;
        }
    }

    void insertEntry(Node& nd, int at, const char* key, uint32_t recno, int kl, uint32_t child = 0)
    {
        nd.keys.insert(nd.keys.begin() + ptrdiff_t(at) * kl, key, key + kl);
        nd.recnos.insert(nd.recnos.begin() + at, recno);
        if (!nd.leaf) nd.children.insert(nd.children.begin() + at, child);
        touch(&nd);
    }

    void eraseEntry(Node& nd, int at, int kl)
    {
        nd.keys.erase(nd.keys.begin() + ptrdiff_t(at) * kl, nd.keys.begin() + ptrdiff_t(at + 1) * kl);
        nd.recnos.erase(nd.recnos.begin() + at);
        if (!nd.leaf) nd.children.erase(nd.children.begin() + at);
        touch(&nd);
    }

    // Where to cut a page that does not fit so that both halves do: interior
    // pages in the middle; leaves where the key bytes balance, since a key's
    // cost depends on the key before it (the first key of the right half
    // loses its shared bytes).
    int splitPoint(const Node& nd) const
    {
        int n = nd.n();
        if (!nd.leaf || n < 3) return std::max(1, n / 2);
        uint32_t maxRec = *std::max_element(nd.recnos.begin(), nd.recnos.end());
        const int bpe = layoutFor(maxRec, keyLen).bytes;
        std::vector<int> alone(static_cast<size_t>(n)), chained(static_cast<size_t>(n));
        int total = 0;
        for (int i = 0; i < n; ++i) {
            const char* k = nd.key(i, keyLen);
            int trail = trailingPad(k, keyLen, pad);
            int dup = i ? std::min(commonPrefix(k, k - keyLen, keyLen), keyLen - trail) : 0;
            alone[size_t(i)] = bpe + keyLen - trail;
            chained[size_t(i)] = bpe + keyLen - dup - trail;
            total += chained[size_t(i)];
        }
        int best = n / 2, bestWorst = INT_MAX, left = 0;
        for (int i = 1; i < n; ++i) {
            left += chained[size_t(i - 1)];
            int right = total - left - chained[size_t(i)] + alone[size_t(i)];
            int worst = std::max(left, right);
            if (worst < bestWorst) bestWorst = worst, best = i;
        }
        return best;
    }

    // Splits path[level]'s node while it does not fit, going up as needed.
    void splitUp(std::vector<Step>& path, int level)
    {
        const int kl = keyLen;
        while (level >= 0 && !fits(*path[size_t(level)].nd)) {
            Step s = path[size_t(level)];
            Node* nd = s.nd;
            int half = splitPoint(*nd);
            uint32_t roff;
            Node* r = newNode(roff, nd->leaf);
            r->keys.assign(nd->keys.begin() + ptrdiff_t(half) * kl, nd->keys.end());
            r->recnos.assign(nd->recnos.begin() + half, nd->recnos.end());
            if (!nd->leaf) r->children.assign(nd->children.begin() + half, nd->children.end());
            nd->keys.resize(size_t(half) * size_t(kl));
            nd->recnos.resize(size_t(half));
            if (!nd->leaf) nd->children.resize(size_t(half));
            r->right = nd->right;
            r->left = s.off;
            setLeft(nd->right, roff);
            nd->right = roff;
            touch(nd);
            const char* lastL = nd->key(half - 1, kl);
            uint32_t lastLr = nd->recnos[size_t(half - 1)];
            const char* lastR = r->key(r->n() - 1, kl);
            uint32_t lastRr = r->recnos[size_t(r->n() - 1)];
            if (level == 0) {
                uint32_t noff;
                Node* top = newNode(noff, false);
                insertEntry(*top, 0, lastL, lastLr, kl, s.off);
                insertEntry(*top, 1, lastR, lastRr, kl, roff);
                root = noff;
                return;
            }
            Step& up = path[size_t(level - 1)];
            std::memcpy(up.nd->keys.data() + size_t(up.idx) * size_t(kl), lastL, size_t(kl));
            up.nd->recnos[size_t(up.idx)] = lastLr;
            insertEntry(*up.nd, up.idx + 1, lastR, lastRr, kl, roff);
            --level;
        }
    }

    void insert(const char* key, uint32_t recno)
    {
        std::vector<Step> path;
        if (unique) {
            IndexCursor c;
            if (positionAt(c, key, 0) && std::memcmp(c.key_.data(), key, size_t(keyLen)) == 0) return;
        }
        descend(key, recno, path);
        Step& leaf = path.back();
        insertEntry(*leaf.nd, leaf.idx, key, recno, keyLen);
        if (leaf.idx == leaf.nd->n() - 1) fixUpward(path, int(path.size()) - 1);
        splitUp(path, int(path.size()) - 1);
        countGen = 0;
    }

    // Removes entry idx from path[level]'s node, then frees, merges or
    // shrinks what that leaves.
    void removeAt(std::vector<Step>& path, int level, int idx)
    {
        Step s = path[size_t(level)];
        Node* nd = s.nd;
        bool wasLast = idx == nd->n() - 1;
        eraseEntry(*nd, idx, keyLen);
        if (nd->n() == 0) {
            if (level == 0) {
                if (!nd->leaf) {   // an interior root without children: the index is empty
                    nd->leaf = true;
                    nd->children.clear();
                }
                nd->left = nd->right = kNone;
                return;
            }
            // Unlink the empty page from its level and drop its parent entry.
            if (nd->left != kNone) {
                Node* l = node(nd->left);
                l->right = nd->right;
                touch(l);
            }
            setLeft(nd->right, nd->left);
            freePage(s.off);
            removeAt(path, level - 1, path[size_t(level - 1)].idx);
            return;
        }
        if (wasLast) fixUpward(path, level);
        // A removal can make a leaf longer: the key after the removed one may
        // share fewer bytes with its new neighbour.
        if (!fits(*nd)) {
            splitUp(path, level);
            return;
        }
        if (level > 0) mergeWithSibling(path, level);
        if (level == 0) collapseRoot();
    }

    // Joins an under-filled page with a neighbour under the same parent
    // when both fit in one page.
    void mergeWithSibling(std::vector<Step>& path, int level)
    {
        Step s = path[size_t(level)];
        Node* nd = s.nd;
        bool underfull = nd->leaf ? leafBytes(*nd) < kLeafData / 3 : nd->n() * (keyLen + 8) < kInteriorData / 3;
        if (!underfull) return;
        Step& up = path[size_t(level - 1)];
        int li, ri;
        if (up.idx + 1 < up.nd->n()) li = up.idx, ri = up.idx + 1;
        else if (up.idx > 0) li = up.idx - 1, ri = up.idx;
        else return;
        uint32_t loff = up.nd->children[size_t(li)], roff = up.nd->children[size_t(ri)];
        Node* l = node(loff);
        Node* r = node(roff);
        if (l->leaf != r->leaf) corrupt("index levels differ");
        Node joined;
        joined.leaf = l->leaf;
        joined.keys = l->keys;
        joined.keys.insert(joined.keys.end(), r->keys.begin(), r->keys.end());
        joined.recnos = l->recnos;
        joined.recnos.insert(joined.recnos.end(), r->recnos.begin(), r->recnos.end());
        if (!fits(joined)) return;
        l->keys = std::move(joined.keys);
        l->recnos = std::move(joined.recnos);
        if (!l->leaf) l->children.insert(l->children.end(), r->children.begin(), r->children.end());
        l->right = r->right;
        touch(l);
        setLeft(r->right, loff);
        freePage(roff);
        // The left page now ends where the right one did.
        std::memcpy(up.nd->keys.data() + size_t(li) * size_t(keyLen), up.nd->key(ri, keyLen), size_t(keyLen));
        up.nd->recnos[size_t(li)] = up.nd->recnos[size_t(ri)];
        up.idx = li;
        path[size_t(level)] = {loff, l, 0};
        eraseEntryKeepLast(path, level - 1, ri);
    }

    // Drops entry `at` of an interior page whose last key did not change
    // meaning (its subtree moved to the entry before it).
    void eraseEntryKeepLast(std::vector<Step>& path, int level, int at)
    {
        Node* nd = path[size_t(level)].nd;
        eraseEntry(*nd, at, keyLen);
        if (level > 0) mergeWithSibling(path, level);
        else collapseRoot();
    }

    void collapseRoot()
    {
        for (;;) {
            Node* r = node(root);
            if (r->leaf || r->n() != 1) return;
            uint32_t child = r->children[0];
            freePage(root);
            root = child;
            Node* c = node(root);
            c->left = c->right = kNone;
            touch(c);
        }
    }

    bool remove(const char* key, uint32_t recno)
    {
        std::vector<Step> path;
        descend(key, recno, path);
        Step& leaf = path.back();
        if (leaf.idx >= leaf.nd->n() || cmp(leaf.nd->key(leaf.idx, keyLen), leaf.nd->recnos[size_t(leaf.idx)], key, recno) != 0)
            return false;
        removeAt(path, int(path.size()) - 1, leaf.idx);
        countGen = 0;
        return true;
    }

    // ---- files ----
    void readTagHeader()
    {
        unsigned char h[kCdxPageSize * 2];
        file.readExact(tagHeader, h, sizeof h);
        root = le32(h);
        freeList = le32(h + 4);
        counter = le32(h + 8);
        keyLen = le16(h + 12);
        uint8_t options = h[14];
        if (keyLen < 1 || keyLen > 240 || !(options & 0x20)) corrupt("index tag header");
        unique = options & 0x01;
        descending = le16(h + 502) != 0;
        int forLen = le16(h + 506), exprLen = le16(h + 510);
        if (forLen > 512 || exprLen > 512 || forLen + exprLen > 512) corrupt("index expression pool");
        const char* pool = reinterpret_cast<const char*>(h + 512);
        keyExpr.assign(pool, strnlen(pool, size_t(std::max(exprLen, 0))));
        if (forLen > 1) forExpr.assign(pool + exprLen, strnlen(pool + exprLen, size_t(forLen)));
        else forExpr.clear();
        fileSize = file.size();
        checkPage(root);
    }

    // Finds the tag's header through the tag directory at the file start.
    void readDirectory()
    {
        fileSize = file.size();
        if (fileSize < kTagHeader + 1024) corrupt("index file too short");
        unsigned char h[16];
        file.readExact(kDirHeader, h, sizeof h);
        uint32_t droot = le32(h);
        int dkl = le16(h + 12);
        if (dkl < 1 || dkl > 240 || !(h[14] & 0x20)) corrupt("index directory header");
        // Decode the directory's root leaf with its own key length and blanks.
        int saveLen = keyLen;
        char savePad = pad;
        keyLen = dkl;
        pad = ' ';
        checkPage(droot);
        unsigned char p[kCdxPageSize];
        file.readExact(droot, p, sizeof p);
        Node dir;
        try {
            decode(p, dir);
        } catch (...) {
            keyLen = saveLen;
            pad = savePad;
            throw;
        }
        keyLen = saveLen;
        pad = savePad;
        if (!dir.leaf || dir.n() == 0) corrupt("index tag directory");
        std::string want = tag;
        want.resize(size_t(dkl), ' ');
        tagHeader = dir.recnos[0];
        for (int i = 0; i < dir.n(); ++i)
            if (std::memcmp(dir.key(i, dkl), want.data(), size_t(dkl)) == 0) tagHeader = dir.recnos[size_t(i)];
        if (tagHeader < 512 || tagHeader % 512 != 0 || uint64_t(tagHeader) + 1024 > fileSize)
            corrupt("index tag header offset");
    }
};

// ---------------------------------------------------------------------------

CdxIndex::CdxIndex() = default;
CdxIndex::~CdxIndex() = default;
CdxIndex::CdxIndex(CdxIndex&&) noexcept = default;
CdxIndex& CdxIndex::operator=(CdxIndex&&) noexcept = default;

namespace {
std::string tagNameOf(const std::string& path)
{
    std::string t = platform::fs::baseName(path);
    for (char& c : t) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (t.size() > 10) t.resize(10);
    return t;
}
} // namespace

CdxIndex CdxIndex::open(const std::string& path, platform::Access access, platform::Share share)
{
    CdxIndex ix;
    ix.d_ = std::make_unique<Impl>();
    Impl& d = *ix.d_;
    d.file = platform::File::open(path, access, share);
    d.tag = tagNameOf(path);
    d.needLocks = share == platform::Share::Shared;
    Impl::Guard g(d, false);
    d.readDirectory();
    d.readTagHeader();
    d.mapHeader();
    return ix;
}

CdxIndex CdxIndex::build(const std::string& path, const IndexSpec& def, platform::Share share, const KeyList& keys)
{
    if (def.keyLength < 1 || def.keyLength > 240 || keys.keyLength() != def.keyLength)
        throw reportError("lunghezza della chiave non valida", path, "index");
    if (def.keyExpr.size() + def.forExpr.size() + 2 > 512)
        throw reportError("espressione dell'indice troppo lunga", path, "index");
    CdxIndex ix;
    ix.d_ = std::make_unique<Impl>();
    Impl& d = *ix.d_;
    d.tag = tagNameOf(path);
    d.keyLen = def.keyLength;
    d.type = def.type;
    d.pad = def.type == KeyType::Character ? ' ' : '\0';
    d.unique = def.unique;
    d.descending = def.descending;
    d.keyExpr = def.keyExpr;
    d.forExpr = def.forExpr;
    d.needLocks = share == platform::Share::Shared;

    // Sort a permutation: keys, then record numbers. The first 8 key bytes
    // ride along as one big-endian integer, so most comparisons (all of
    // them for number and date keys) never touch the key bytes.
    const size_t n = keys.size();
    const size_t kl = size_t(d.keyLen);
    struct Item {
        uint64_t head;
        uint32_t recno;
        uint32_t idx;
    };
    std::vector<Item> items(n);
    for (size_t i = 0; i < n; ++i) {
        const auto* k = reinterpret_cast<const unsigned char*>(keys.key(i));
        uint64_t h = 0;
        for (size_t b = 0; b < 8; ++b) h = h << 8 | (b < kl ? k[b] : 0);
        items[i] = {h, keys.recno(i), uint32_t(i)};
    }
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.head != b.head) return a.head < b.head;
        if (kl > 8) {
            int c = std::memcmp(keys.key(a.idx) + 8, keys.key(b.idx) + 8, kl - 8);
            if (c) return c < 0;
        }
        return a.recno < b.recno;
    });
    std::vector<uint32_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = items[i].idx;
    items.clear();
    items.shrink_to_fit();
    if (d.unique) {
        auto e = std::unique(order.begin(), order.end(),
                             [&](uint32_t a, uint32_t b) { return std::memcmp(keys.key(a), keys.key(b), kl) == 0; });
        order.erase(e, order.end());
    }

    // Leaves, filled in key order; then interior levels over them.
    std::vector<Node> level;
    {
        // Bytes are counted as the leaf encoder will spend them, with the
        // entry size of the largest record number of the whole build (no
        // leaf's own can be larger).
        uint32_t maxRec = 0;
        for (size_t i = 0; i < n; ++i) maxRec = std::max(maxRec, keys.recno(i));
        const int bpe = layoutFor(maxRec, d.keyLen).bytes;
        Node cur;
        int used = 0;
        const char* prev = nullptr;
        for (uint32_t i : order) {
            const char* k = keys.key(i);
            int trail = trailingPad(k, d.keyLen, d.pad);
            int dup = prev ? std::min(commonPrefix(k, prev, d.keyLen), d.keyLen - trail) : 0;
            int cost = bpe + d.keyLen - dup - trail;
            if (cur.n() > 0 && used + cost > kLeafData) {
                level.push_back(std::move(cur));
                cur = Node();
                cost = bpe + d.keyLen - trail;
            }
            cur.keys.insert(cur.keys.end(), k, k + kl);
            cur.recnos.push_back(keys.recno(i));
            used = (cur.n() == 1 ? 0 : used) + cost;
            prev = k;
        }
        level.push_back(std::move(cur));
    }
    std::vector<std::vector<Node>> levels;
    levels.push_back(std::move(level));
    const int perInterior = kInteriorData / (d.keyLen + 8);
    while (levels.back().size() > 1) {
        std::vector<Node>& below = levels.back();
        std::vector<Node> up;
        for (size_t i = 0; i < below.size(); i += size_t(perInterior)) {
            Node in;
            in.leaf = false;
            for (size_t j = i; j < std::min(below.size(), i + size_t(perInterior)); ++j) {
                const Node& c = below[j];
                in.keys.insert(in.keys.end(), c.keys.end() - ptrdiff_t(kl), c.keys.end());
                in.recnos.push_back(c.recnos.back());
                in.children.push_back(uint32_t(j));   // index for now, offset below
            }
            up.push_back(std::move(in));
        }
        levels.push_back(std::move(up));
    }
    // Offsets: leaves first, then each level up; the root comes last.
    uint32_t next = kFirstPage;
    std::vector<std::vector<uint32_t>> offs(levels.size());
    for (size_t l = 0; l < levels.size(); ++l)
        for (size_t i = 0; i < levels[l].size(); ++i) {
            offs[l].push_back(next);
            next += kCdxPageSize;
        }
    for (size_t l = 0; l < levels.size(); ++l)
        for (size_t i = 0; i < levels[l].size(); ++i) {
            Node& nd = levels[l][i];
            nd.left = i ? offs[l][i - 1] : kNone;
            nd.right = i + 1 < levels[l].size() ? offs[l][i + 1] : kNone;
            if (l > 0)
                for (auto& c : nd.children) c = offs[l - 1][c];
        }
    d.root = offs.back()[0];
    d.freeList = kNone;
    d.counter = 0;

    std::string img(next, '\0');
    auto* P = reinterpret_cast<unsigned char*>(img.data());
    auto header = [&](unsigned char* h, uint32_t rootOff, int keyLen, uint8_t options, const std::string& expr,
                      const std::string& forE) {
        putLe32(h, rootOff);
        putLe32(h + 4, kNone);
        putLe32(h + 8, 0);
        putLe16(h + 12, uint16_t(keyLen));
        h[14] = options;
        h[15] = 1;
        putLe16(h + 502, d.descending ? 1 : 0);
        if (!expr.empty() || !forE.empty()) {
            putLe16(h + 510, uint16_t(expr.size() + 1));
            putLe16(h + 506, uint16_t(forE.size() + 1));
            std::memcpy(h + 512, expr.data(), expr.size());
            std::memcpy(h + 512 + expr.size() + 1, forE.data(), forE.size());
        }
    };
    header(P + kDirHeader, kDirLeaf, 10, 0xE0, {}, {});
    {
        Impl dir;
        dir.keyLen = 10;
        dir.pad = ' ';
        Node dl;
        std::string name = d.tag;
        name.resize(10, ' ');
        dl.keys.assign(name.begin(), name.end());
        dl.recnos.push_back(kTagHeader);
        dir.encode(dl, true, P + kDirLeaf);
    }
    uint8_t options = 0x60 | (d.forExpr.empty() ? 0 : 0x08) | (d.unique ? 0x01 : 0);
    header(P + kTagHeader, d.root, d.keyLen, options, d.keyExpr, d.forExpr);
    for (size_t l = 0; l < levels.size(); ++l)
        for (size_t i = 0; i < levels[l].size(); ++i) {
            bool isRoot = offs[l][i] == d.root;
            d.encode(levels[l][i], isRoot, P + offs[l][i]);
        }

    d.file = platform::File::create(path, share);
    if (d.needLocks)
        while (!d.file.tryWriteLock(kIndexLockOffset, 1)) platform::shortPause();
    try {
        d.file.writeAt(0, img.data(), img.size());
    } catch (...) {
        d.file.close();
        throw;
    }
    if (d.needLocks) d.file.unlock(kIndexLockOffset, 1);
    d.fileSize = img.size();
    d.dropCache();
    d.mapHeader();
    return ix;
}

bool CdxIndex::isOpen() const { return d_ && d_->file.isOpen(); }
void CdxIndex::close() noexcept
{
    if (d_) {
        d_->cache.clear();
        d_->head = platform::FileMap();
        d_->file.close();
    }
}
const std::string& CdxIndex::path() const { return d_->path(); }
const std::string& CdxIndex::tagName() const { return d_->tag; }
const std::string& CdxIndex::keyExpression() const { return d_->keyExpr; }
const std::string& CdxIndex::forExpression() const { return d_->forExpr; }
int CdxIndex::keyLength() const { return d_->keyLen; }
bool CdxIndex::unique() const { return d_->unique; }
bool CdxIndex::descending() const { return d_->descending; }
KeyType CdxIndex::keyType() const { return d_->type; }
char CdxIndex::padByte() const { return d_->pad; }
uint32_t CdxIndex::changeCounter() const { return d_->counter; }

void CdxIndex::setKeyType(KeyType t)
{
    char pad = t == KeyType::Character ? ' ' : '\0';
    if (t != d_->type || pad != d_->pad) {
        d_->type = t;
        d_->pad = pad;
        d_->dropCache();   // leaves decode their trailing bytes with the pad
    }
}

void CdxIndex::setCondition(Condition c) { d_->condition = std::move(c); }
const CdxIndex::Condition& CdxIndex::condition() const { return d_->condition; }

bool CdxIndex::first(IndexCursor& cur)
{
    Impl::Guard g(*d_, false);
    uint32_t leaf = d_->leftmostLeaf();
    int slot = 0;
    if (!d_->settleForward(leaf, slot)) {
        cur.state_ = IndexCursor::End;
        return false;
    }
    d_->place(cur, leaf, slot);
    return true;
}

bool CdxIndex::last(IndexCursor& cur)
{
    Impl::Guard g(*d_, false);
    uint32_t leaf = d_->rightmostLeaf();
    int slot = d_->node(leaf)->n() - 1;
    if (!d_->settleBackward(leaf, slot)) {
        cur.state_ = IndexCursor::End;
        return false;
    }
    d_->place(cur, leaf, slot);
    return true;
}

bool CdxIndex::next(IndexCursor& cur)
{
    if (!cur.onKey()) return false;
    Impl::Guard g(*d_, false);
    if (!d_->resync(cur)) return cur.onKey();   // its entry went away: the follower is the next one
    uint32_t leaf = cur.leaf_;
    int slot = cur.slot_ + 1;
    if (!d_->settleForward(leaf, slot)) {
        cur.state_ = IndexCursor::End;
        return false;
    }
    d_->place(cur, leaf, slot);
    return true;
}

bool CdxIndex::prev(IndexCursor& cur)
{
    if (cur.atEnd()) return last(cur);
    Impl::Guard g(*d_, false);
    d_->resync(cur);
    if (!cur.onKey()) return last(cur);
    uint32_t leaf = cur.leaf_;
    int slot = cur.slot_ - 1;
    if (!d_->settleBackward(leaf, slot)) return false;
    d_->place(cur, leaf, slot);
    return true;
}

bool CdxIndex::seek(IndexCursor& cur, std::string_view key)
{
    Impl::Guard g(*d_, false);
    size_t len = std::min(key.size(), size_t(d_->keyLen));
    std::string& buf = d_->scratch;
    buf.assign(size_t(d_->keyLen), '\0');
    std::memcpy(buf.data(), key.data(), len);
    if (!d_->positionAt(cur, buf.data(), 0)) return false;
    return std::memcmp(cur.key_.data(), key.data(), len) == 0;
}

bool CdxIndex::seekLast(IndexCursor& cur, std::string_view key)
{
    Impl::Guard g(*d_, false);
    size_t len = std::min(key.size(), size_t(d_->keyLen));
    std::string& buf = d_->scratch;
    buf.assign(size_t(d_->keyLen), '\xFF');
    std::memcpy(buf.data(), key.data(), len);
    bool on = d_->positionAt(cur, buf.data(), 0xFFFFFFFFu);
    uint32_t leaf;
    int slot;
    if (on) {
        if (std::memcmp(cur.key_.data(), buf.data(), size_t(d_->keyLen)) <= 0 && cur.recno_ == 0xFFFFFFFFu) return true;
        leaf = cur.leaf_;
        slot = cur.slot_ - 1;
    } else {
        leaf = d_->rightmostLeaf();
        slot = d_->node(leaf)->n() - 1;
    }
    if (!d_->settleBackward(leaf, slot)) {
        cur.state_ = IndexCursor::End;
        return false;
    }
    d_->place(cur, leaf, slot);
    return true;
}

bool CdxIndex::seekEntry(IndexCursor& cur, std::string_view key, uint32_t recno)
{
    Impl::Guard g(*d_, false);
    const char* k = d_->normalize(key, d_->scratch);
    if (!d_->positionAt(cur, k, recno)) return false;
    return cur.recno_ == recno && std::memcmp(cur.key_.data(), k, size_t(d_->keyLen)) == 0;
}

uint64_t CdxIndex::count()
{
    Impl::Guard g(*d_, false);
    if (d_->countGen == d_->generation) return d_->countValue;
    uint64_t total = 0;
    uint32_t leaf = d_->leftmostLeaf();
    for (uint64_t guard = 0; leaf != kNone; ++guard) {
        if (guard > 10000000) d_->corrupt("index leaf chain loops");
        Node* nd = d_->node(leaf);
        total += uint64_t(nd->n());
        leaf = nd->right;
    }
    d_->countGen = d_->generation;
    d_->countValue = total;
    return total;
}

uint64_t CdxIndex::count(std::optional<std::string_view> top, std::optional<std::string_view> bottom)
{
    if (!top && !bottom) return count();
    Impl::Guard g(*d_, false);
    IndexCursor c;
    bool on = top ? seek(c, *top) || c.onKey() : first(c);
    if (!on) return 0;
    const int kl = d_->keyLen;
    size_t blen = bottom ? std::min(bottom->size(), size_t(kl)) : 0;
    auto inside = [&](const char* k) { return !bottom || std::memcmp(k, bottom->data(), blen) <= 0; };
    uint64_t total = 0;
    uint32_t leaf = c.leaf_;
    int slot = c.slot_;
    for (uint64_t guard = 0; leaf != kNone; ++guard) {
        if (guard > 10000000) d_->corrupt("index leaf chain loops");
        Node* nd = d_->node(leaf);
        int n = nd->n();
        if (n > slot && inside(nd->key(n - 1, kl))) {
            total += uint64_t(n - slot);
        } else {
            for (int i = slot; i < n; ++i) {
                if (!inside(nd->key(i, kl))) return total;
                ++total;
            }
        }
        leaf = nd->right;
        slot = 0;
    }
    return total;
}

uint64_t CdxIndex::ordinal(IndexCursor& cur)
{
    if (cur.atEnd()) return count();
    Impl::Guard g(*d_, false);
    d_->resync(cur);
    if (!cur.onKey()) return count();
    uint64_t total = 0;
    uint32_t leaf = d_->leftmostLeaf();
    for (uint64_t guard = 0; leaf != cur.leaf_; ++guard) {
        if (leaf == kNone || guard > 10000000) d_->corrupt("index leaf chain broken");
        Node* nd = d_->node(leaf);
        total += uint64_t(nd->n());
        leaf = nd->right;
    }
    return total + uint64_t(cur.slot_);
}

bool CdxIndex::seekOrdinal(IndexCursor& cur, uint64_t n)
{
    Impl::Guard g(*d_, false);
    uint32_t leaf = d_->leftmostLeaf();
    for (uint64_t guard = 0; leaf != kNone; ++guard) {
        if (guard > 10000000) d_->corrupt("index leaf chain loops");
        uint32_t right;
        uint64_t k = uint64_t(d_->leafCount(leaf, right));
        if (n < k) {
            d_->place(cur, leaf, int(n));   // the one page decoded
            return true;
        }
        n -= k;
        leaf = right;
    }
    cur.state_ = IndexCursor::End;
    return false;
}

double CdxIndex::relativePosition(IndexCursor& cur)
{
    if (cur.atEnd()) return 1.0;
    Impl::Guard g(*d_, false);
    // Up to a few hundred thousand keys the leaf walk is cheap (pages are
    // cached): exact. Beyond, the path estimate below.
    uint64_t total = count();
    if (total <= kExactPositionLimit) return total <= 1 ? 0.0 : double(ordinal(cur)) / double(total - 1);
    std::vector<Impl::Step> path;
    d_->descend(cur.key_.data(), cur.recno_, path);
    double pos = 0, width = 1;
    bool lastAll = true, firstAll = true;
    for (const auto& s : path) {
        int n = std::max(1, s.nd->n());
        pos += width * double(s.idx) / double(n);
        width /= double(n);
        lastAll = lastAll && s.idx >= n - 1;
        firstAll = firstAll && s.idx == 0;
    }
    if (firstAll) return 0.0;
    if (lastAll) return 1.0;
    return std::clamp(pos, 0.0, 1.0);
}

// Runs one change under the write lock and writes it. A change that fails
// half way (disk full, a damaged page met on the way) leaves no half-changed
// pages in memory: the cache is dropped and the header words re-read, so the
// next operation sees what the file holds.
template <class F>
static auto changeIndex(CdxIndex::Impl& d, F&& f)
{
    d.acquire(true);
    struct Release {
        CdxIndex::Impl& d;
        ~Release() { d.release(); }
    } rel{d};
    try {
        return f();
    } catch (...) {
        d.forgetChanges();
        throw;
    }
}

void CdxIndex::insert(std::string_view key, uint32_t recno)
{
    changeIndex(*d_, [&] {
        d_->insert(d_->normalize(key, d_->scratch2), recno);
        d_->commit();
    });
}

bool CdxIndex::remove(std::string_view key, uint32_t recno)
{
    return changeIndex(*d_, [&] {
        bool ok = d_->remove(d_->normalize(key, d_->scratch2), recno);
        if (ok) d_->commit();
        return ok;
    });
}

void CdxIndex::replace(std::string_view oldKey, std::string_view newKey, uint32_t recno)
{
    changeIndex(*d_, [&] {
        std::string o(d_->normalize(oldKey, d_->scratch2), size_t(d_->keyLen));
        const char* nk = d_->normalize(newKey, d_->scratch2);
        if (o.compare(0, o.size(), nk, size_t(d_->keyLen)) == 0) return;
        std::string n(nk, size_t(d_->keyLen));
        d_->remove(o.data(), recno);
        d_->insert(n.data(), recno);
        d_->commit();
    });
}

void CdxIndex::clear()
{
    changeIndex(*d_, [&] {
        // One empty root leaf right after the tag header; the rest is cut away.
        d_->dropCache();
        d_->root = kFirstPage;
        d_->freeList = kNone;
        d_->file.truncate(kFirstPage);
        d_->fileSize = kFirstPage + kCdxPageSize;
        auto nd = std::make_unique<Node>();
        nd->self = kFirstPage;
        d_->touch(nd.get());
        d_->cache.put(kFirstPage, std::move(nd));
        d_->countGen = 0;
        d_->commit();
    });
}

void CdxIndex::flush() { d_->file.sync(); }

CdxIndex::Hold::Hold(CdxIndex& ix, bool write) : ix_(ix) { ix_.d_->acquire(write); }
CdxIndex::Hold::~Hold() { ix_.d_->release(); }

} // namespace velt::data
