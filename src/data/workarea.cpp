#include "data/workarea.h"

#include "platform/fs.h"
#include "util/cp1252.h"
#include "util/errors.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace velt::data {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

bool startsWith(const std::string& key, const std::string& prefix)
{
    return key.size() >= prefix.size() && key.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

Order::Order() = default;
Order::~Order() = default;
Order::Order(Order&&) noexcept = default;
Order& Order::operator=(Order&&) noexcept = default;

WorkArea::WorkArea(int slot, std::string alias, DbfTable table, bool shared, bool readOnly)
    : slot_(slot), alias_(std::move(alias)), table_(std::move(table)), shared_(shared), readOnly_(readOnly)
{
    rec_ = table_.blankRecord();
    goTop();
}

WorkArea::~WorkArea()
{
    // The owner commits and unlocks before destroying (closeArea); here only
    // the handles go, which releases whatever locks remain.
    orders_.clear();
    table_.close();
}

// ---------------------------------------------------------------- records

uint32_t WorkArea::lastRec()
{
    return shared_ ? table_.refreshCount() : table_.recordCount() + (pendingAppend_ ? 1 : 0);
}

void WorkArea::toEnd()
{
    recno_ = lastRec() + 1;
    rec_ = table_.blankRecord();
    eof_ = true;
    dirty_ = isNew_ = false;
}

void WorkArea::load(uint32_t recno)
{
    table_.readRecord(recno, rec_.data());
    recno_ = recno;
    eof_ = false;
    dirty_ = isNew_ = false;
}

bool WorkArea::naturalForward(uint32_t from)
{
    // The count read last is enough until the walk reaches it; only then is
    // the header read again for records other processes appended.
    uint32_t n = table_.recordCount();
    if (from > n)
        n = lastRec();
    for (uint32_t r = from; r <= n; ++r) {
        if (r == n && shared_)
            n = lastRec();
        table_.readRecord(r, rec_.data());
        if (!DbfTable::isDeleted(rec_.data())) {
            recno_ = r;
            eof_ = false;
            dirty_ = isNew_ = false;
            return true;
        }
    }
    return false;
}

bool WorkArea::naturalBackward(uint32_t from)
{
    uint32_t n = lastRec();
    for (uint32_t r = std::min(from, n); r >= 1; --r) {
        table_.readRecord(r, rec_.data());
        if (!DbfTable::isDeleted(rec_.data())) {
            recno_ = r;
            eof_ = false;
            dirty_ = isNew_ = false;
            return true;
        }
    }
    return false;
}

bool WorkArea::aboveTop(const Order& o, const std::string& key) const
{
    return o.top && key.compare(0, o.top->size(), *o.top) < 0;
}

bool WorkArea::belowBottom(const Order& o, const std::string& key) const
{
    return o.bottom && key.compare(0, o.bottom->size(), *o.bottom) > 0;
}

bool WorkArea::inScope(const Order& o, const std::string& key) const
{
    return !aboveTop(o, key) && !belowBottom(o, key);
}

// Makes the record under the cursor current when it is a live record the
// table holds; false for a key pointing past the table (an index out of step
// after a crash) or at a record flagged deleted.
bool WorkArea::landOnCursor(Order& o)
{
    uint32_t r = o.cur.recno();
    if (r < 1 || (r > table_.recordCount() && r > lastRec()))
        return false;
    table_.readRecord(r, rec_.data());
    if (DbfTable::isDeleted(rec_.data()))
        return false;
    recno_ = r;
    eof_ = false;
    dirty_ = isNew_ = false;
    o.curValid = true;
    return true;
}

// The first live record from the cursor on (inside the scope); deleted
// records and keys past the table are passed over.
bool WorkArea::settleForward(Order& o)
{
    while (o.cur.onKey()) {
        const std::string& k = o.cur.key();
        if (belowBottom(o, k))
            return false;
        if (aboveTop(o, k)) {
            if (!o.cdx.seek(o.cur, *o.top))
                return false;
            continue;
        }
        if (landOnCursor(o))
            return true;
        if (!o.cdx.next(o.cur))
            return false;
    }
    return false;
}

bool WorkArea::settleBackward(Order& o)
{
    while (o.cur.onKey()) {
        const std::string& k = o.cur.key();
        if (aboveTop(o, k))
            return false;
        if (belowBottom(o, k)) {
            if (!o.cdx.seekLast(o.cur, *o.bottom))
                return false;
            continue;
        }
        if (landOnCursor(o))
            return true;
        if (!o.cdx.prev(o.cur))
            return false;
    }
    return false;
}

std::string WorkArea::currentKey()
{
    Order* o = active();
    if (!o)
        return {};
    return rawKey(*o);
}

std::string WorkArea::rawKey(const Order& o) const
{
    std::string k(size_t(o.keyer.key().keyLength()), '\0');
    o.keyer.key().evalKey(rec_.data(), recno_, k.data());
    return k;
}

bool WorkArea::syncCursor(Order& o)
{
    std::string k = rawKey(o);
    bool exact = o.cdx.seekEntry(o.cur, k, recno_);
    o.curValid = exact;
    return exact;
}

// ---------------------------------------------------------------- navigation

void WorkArea::goTop()
{
    commit();
    found_ = false;
    bof_ = false;
    bool ok;
    if (Order* o = active()) {
        CdxIndex::Hold hold(o->cdx, false);  // one index lock for the whole move
        ok = o->top ? (o->cdx.seek(o->cur, *o->top), o->cur.onKey()) : o->cdx.first(o->cur);
        ok = ok && settleForward(*o);
    } else {
        ok = naturalForward(1);
    }
    if (!ok) {
        toEnd();
        bof_ = true;
    }
}

void WorkArea::goBottom()
{
    commit();
    found_ = false;
    bof_ = false;
    bool ok;
    if (Order* o = active()) {
        CdxIndex::Hold hold(o->cdx, false);
        ok = o->bottom ? o->cdx.seekLast(o->cur, *o->bottom) : o->cdx.last(o->cur);
        ok = ok && settleBackward(*o);
    } else {
        ok = naturalBackward(lastRec());
    }
    if (!ok) {
        toEnd();
        bof_ = true;
    }
}

long WorkArea::skip(long n)
{
    commit();
    found_ = false;
    if (n == 0) {
        reread();
        return 0;
    }
    Order* o = active();
    std::optional<CdxIndex::Hold> hold;
    if (o)
        hold.emplace(o->cdx, false);
    long moved = 0;
    if (n > 0) {
        bof_ = false;
        if (eof_)
            return 0;
        for (; n > 0; --n) {
            bool ok;
            if (o) {
                if (!o->curValid && !syncCursor(*o)) {
                    // The current record carries no key here: the cursor
                    // already stands on what follows it.
                    ok = settleForward(*o);
                } else {
                    ok = o->cdx.next(o->cur) && settleForward(*o);
                }
            } else {
                ok = naturalForward(recno_ + 1);
            }
            if (!ok) {
                toEnd();
                break;
            }
            ++moved;
        }
        return moved;
    }
    // Backward.
    bof_ = false;
    if (eof_) {
        bool ok = o ? ((o->bottom ? o->cdx.seekLast(o->cur, *o->bottom) : o->cdx.last(o->cur)) && settleBackward(*o))
                    : naturalBackward(lastRec());
        if (!ok) {
            toEnd();
            bof_ = true;
            return 0;
        }
        --moved;
        ++n;
    }
    for (; n < 0; ++n) {
        bool ok;
        if (o) {
            if (!o->curValid)
                syncCursor(*o);
            ok = o->cdx.prev(o->cur) && settleBackward(*o);
        } else {
            ok = recno_ > 1 && naturalBackward(recno_ - 1);
        }
        if (!ok) {
            // Before the first record: back on the first one, with BOF.
            goTop();
            bof_ = true;
            break;
        }
        --moved;
    }
    return moved;
}

void WorkArea::goTo(uint32_t recno)
{
    commit();
    found_ = false;
    bof_ = false;
    for (auto& o : orders_)
        o.curValid = false;
    if (recno < 1 || recno > lastRec())
        toEnd();
    else
        load(recno);
}

bool WorkArea::seek(const Value& key, bool soft, bool last, bool exact)
{
    commit();
    bof_ = false;
    Order* o = active();
    if (!o)
        throw reportError("Ricerca senza indice attivo", path(), "DBSEEK");
    CdxIndex::Hold hold(o->cdx, false);
    std::string kb = keyBytes(*o, key);
    int len = o->cdx.keyLength();
    if (int(kb.size()) > len)
        kb.resize(size_t(len));
    if (exact && o->cdx.keyType() == KeyType::Character)
        kb.resize(size_t(len), o->cdx.padByte());
    bool ok = false;
    if (last) {
        ok = o->cdx.seekLast(o->cur, kb) && settleBackward(*o) && startsWith(o->cur.key(), kb);
        if (!ok)
            last = false;  // no match: position as an ordinary seek does
    }
    if (!last) {
        o->cdx.seek(o->cur, kb);
        ok = settleForward(*o);
    }
    found_ = ok && startsWith(o->cur.key(), kb);
    if (!found_ && (!soft || !ok))
        toEnd();
    return found_;
}

// ---------------------------------------------------------------- fields

int WorkArea::fieldPos(std::string_view name) const { return table_.fieldIndex(name) + 1; }

const FieldInfo& WorkArea::fieldInfo(int pos) const
{
    if (pos < 1 || pos > fieldCount())
        throw reportError("Campo inesistente: " + std::to_string(pos), path(), "FIELDGET");
    return table_.fields()[size_t(pos - 1)];
}

Value WorkArea::get(int pos) const
{
    fieldInfo(pos);
    return table_.getValue(rec_.data(), pos - 1);
}

void WorkArea::requireWritable()
{
    if (readOnly_)
        throw reportError("Tabella aperta in sola lettura", path(), "FIELDPUT");
    if (eof_)
        throw reportError("Nessun record corrente", path(), "FIELDPUT");
    if (shared_ && !tableLock_ && !recLocks_.count(recno_))
        throw reportError("Record non bloccato", path(), "FIELDPUT");
}

bool WorkArea::viewAccepts(Order& o)
{
    if (DbfTable::isDeleted(rec_.data()) || !o.viewCondition)
        return false;
    // The caller's condition reads the record of the current slot.
    int was = currentSlot();
    selectSlot(slot_);
    bool in;
    try {
        in = o.viewCondition();
    } catch (...) {
        selectSlot(was);
        throw;
    }
    selectSlot(was);
    return in;
}

std::optional<std::string> WorkArea::keyOf(Order& o)
{
    if (o.isView) {
        if (!viewAccepts(o))
            return std::nullopt;
        return rawKey(o);
    }
    std::string k;
    if (!o.keyer.keyFor(rec_.data(), recno_, k))
        return std::nullopt;
    return k;
}

void WorkArea::beginChange()
{
    if (dirty_)
        return;
    oldKeys_.clear();
    for (auto& o : orders_)
        oldKeys_.push_back(isNew_ ? std::nullopt : keyOf(o));
    dirty_ = true;
}

void WorkArea::put(int pos, const Value& v)
{
    fieldInfo(pos);
    requireWritable();
    beginChange();
    table_.putValue(rec_.data(), pos - 1, v);
}

void WorkArea::setDeleted(bool del)
{
    requireWritable();
    if (DbfTable::isDeleted(rec_.data()) == del)
        return;
    beginChange();
    DbfTable::setDeleted(rec_.data(), del);
}

void WorkArea::commit()
{
    if (!dirty_ || eof_)
        return;
    if (pendingAppend_) {
        recno_ = table_.appendRecord(rec_.data());
        pendingAppend_ = false;
    } else {
        table_.writeRecord(recno_, rec_.data());
    }
    dirty_ = false;
    bool wasNew = isNew_;
    isNew_ = false;
    for (size_t i = 0; i < orders_.size(); ++i) {
        Order& o = orders_[i];
        std::optional<std::string> before = wasNew || i >= oldKeys_.size() ? std::nullopt : oldKeys_[i];
        std::optional<std::string> now = keyOf(o);
        if (before == now)
            continue;
        if (before && now)
            o.cdx.replace(*before, *now, recno_);
        else if (before)
            o.cdx.remove(*before, recno_);
        else
            o.cdx.insert(*now, recno_);
        o.curValid = false;
    }
    oldKeys_.clear();
}

void WorkArea::scan(const std::function<void(uint32_t recno)>& fn)
{
    commit();
    for (auto& o : orders_)
        o.curValid = false;
    const uint32_t n = lastRec();
    const size_t len = table_.recordLength();
    const uint32_t per = uint32_t(std::max<size_t>(1, (1u << 16) / len));
    std::string block;
    for (uint32_t first = 1; first <= n; first += per) {
        uint32_t count = std::min(per, n - first + 1);
        block.resize(size_t(count) * len);
        table_.file().readExact(uint64_t(table_.headerLength()) + uint64_t(first - 1) * len, block.data(),
                                block.size());
        for (uint32_t i = 0; i < count; ++i) {
            std::copy_n(block.data() + size_t(i) * len, len, rec_.data());
            recno_ = first + i;
            eof_ = false;
            fn(recno_);
        }
    }
    toEnd();
}

void WorkArea::reread()
{
    commit();
    if (eof_) {
        toEnd();
        return;
    }
    if (recno_ > lastRec()) {
        toEnd();
        return;
    }
    load(recno_);
}

// ---------------------------------------------------------------- locks

bool WorkArea::holdsRecordLock(uint32_t recno) const { return !shared_ || tableLock_ || recLocks_.count(recno); }

void WorkArea::lockOnly(uint32_t recno)
{
    // Reuses the set's node: an append on a locked table does this per record.
    if (recLocks_.size() == 1) {
        auto node = recLocks_.extract(recLocks_.begin());
        node.value() = recno;
        recLocks_.insert(std::move(node));
    } else {
        recLocks_ = {recno};
    }
}

bool WorkArea::tryLockRecord()
{
    if (eof_)
        return true;  // nothing to lock at the end of the table
    if (!shared_ || tableLock_) {
        lockOnly(recno_);
        return true;
    }
    if (recLocks_.count(recno_) && recLocks_.size() == 1)
        return true;
    for (uint32_t r : recLocks_)
        if (r != recno_)
            table_.file().unlock(recordLockOffset(r), 1);
    bool had = recLocks_.count(recno_) > 0;
    recLocks_.clear();
    if (had || table_.file().tryWriteLock(recordLockOffset(recno_), 1)) {
        recLocks_.insert(recno_);
        return true;
    }
    return false;
}

bool WorkArea::tryLockTable()
{
    if (!shared_ || tableLock_) {
        tableLock_ = true;
        return true;
    }
    if (!table_.file().tryWriteLock(kTableLockOffset, kTableLockLength))
        return false;
    tableLock_ = true;
    return true;
}

bool WorkArea::tryAppendLock()
{
    if (!shared_ || appendLock_)
        return appendLock_ = true;
    appendLock_ = table_.file().tryWriteLock(kLockBase, 1);
    return appendLock_;
}

void WorkArea::releaseAppendLock()
{
    if (appendLock_ && shared_)
        table_.file().unlock(kLockBase, 1);
    appendLock_ = false;
}

void WorkArea::unlockAll()
{
    commit();
    if (shared_) {
        if (tableLock_)
            table_.file().unlock(kTableLockOffset, kTableLockLength);
        for (uint32_t r : recLocks_)
            if (!tableLock_)
                table_.file().unlock(recordLockOffset(r), 1);
    }
    releaseAppendLock();
    tableLock_ = false;
    recLocks_.clear();
}

void WorkArea::appendBlank()
{
    commit();
    if (readOnly_)
        throw reportError("Tabella aperta in sola lettura", path(), "DBAPPEND");
    // The blank record is made in a spare buffer, so a failed append leaves
    // the current record's buffer as it was; the two buffers swap storage.
    spare_.assign(table_.recordLength(), ' ');
    // Nobody else sees an exclusive table: its new record goes to the file
    // once, filled in, when it is committed.
    uint32_t n;
    if (shared_) {
        n = table_.appendRecord(spare_.data());
    } else {
        n = table_.recordCount() + 1;
        pendingAppend_ = true;
    }
    rec_.swap(spare_);
    recno_ = n;
    eof_ = bof_ = found_ = false;
    isNew_ = dirty_ = true;
    oldKeys_.assign(orders_.size(), std::nullopt);
    if (shared_)
        recLocks_.insert(n);
    for (auto& o : orders_)
        o.curValid = false;
}

void WorkArea::zap()
{
    if (shared_)
        throw reportError("Svuotamento di una tabella non esclusiva", path(), "ZAP");
    dirty_ = isNew_ = pendingAppend_ = false;
    table_.zap();
    for (auto& o : orders_)
        o.cdx.clear();
    goTop();
}

void WorkArea::pack()
{
    if (shared_)
        throw reportError("Compattamento di una tabella non esclusiva", path(), "PACK");
    if (!orders_.empty())
        throw reportError("Compattamento con indici aperti", path(), "PACK");
    commit();
    const std::string file = table_.path();
    const std::string dir = platform::fs::parentDirectory(file);
    // The packed copy is complete on disk before it takes the table's name.
    const std::string work = platform::fs::joinPath(dir, std::string(1, '\x7F') + "PACK.DBF");
    std::vector<FieldDef> defs(table_.fields().begin(), table_.fields().end());
    {
        DbfTable out = DbfTable::create(work, defs, Share::Exclusive);
        scan([&](uint32_t) {
            if (!DbfTable::isDeleted(rec_.data()))
                out.appendRecord(rec_.data());
        });
        out.flush();
        out.close();
    }
    if (table_.hasMemo())
        platform::fs::removeFile(memoPathFor(work));  // the memos stay in the table's own file
    table_.close();
    platform::fs::renameReplace(work, file);
    table_ = DbfTable::open(file, readOnly_ ? Access::Read : Access::ReadWrite, Share::Exclusive);
    goTop();
}

// ---------------------------------------------------------------- orders

void WorkArea::addOrder(Order o)
{
    commit();
    orders_.push_back(std::move(o));
    if (active_ == 0) {
        active_ = int(orders_.size());
        goTop();
    }
}

void WorkArea::setActiveOrder(int n)
{
    commit();
    if (n < 0 || n > int(orders_.size()))
        n = 0;
    active_ = n;
    for (auto& o : orders_)
        o.curValid = false;
}

int WorkArea::orderByName(std::string_view name) const
{
    for (size_t i = 0; i < orders_.size(); ++i)
        if (sameName(orders_[i].cdx.tagName(), name) || sameName(platform::fs::baseName(orders_[i].path), name))
            return int(i) + 1;
    return 0;
}

void WorkArea::closeOrders()
{
    commit();
    orders_.clear();
    active_ = 0;
}

std::string WorkArea::keyBytes(const Order& o, const Value& v) const
{
    if (o.cdx.keyType() == KeyType::Character) {
        if (!v.isText())
            throw reportError("Tipo di chiave errato", path(), "DBSEEK");
        return utf8ToCp1252(v.text());
    }
    double d;
    if (v.isDate())
        d = v.date().julian();
    else if (v.isNumber())
        d = v.number();
    else
        throw reportError("Tipo di chiave errato", path(), "DBSEEK");
    std::string out(8, '\0');
    encodeNumberKey(d, out.data());
    return out;
}

uint64_t WorkArea::keyCount(Order& o)
{
    commit();
    if (!o.top && !o.bottom)
        return o.cdx.count();
    return o.cdx.count(o.top ? std::optional<std::string_view>(*o.top) : std::nullopt,
                       o.bottom ? std::optional<std::string_view>(*o.bottom) : std::nullopt);
}

uint64_t WorkArea::keyCount()
{
    if (Order* o = active())
        return keyCount(*o);
    commit();
    uint64_t live = 0;
    std::string buf(table_.recordLength(), ' ');
    uint32_t n = lastRec();
    for (uint32_t r = 1; r <= n; ++r) {
        table_.readRecord(r, buf.data());
        live += !DbfTable::isDeleted(buf.data());
    }
    return live;
}

uint64_t WorkArea::keyNo()
{
    commit();
    if (eof_)
        return 0;
    Order* o = active();
    if (!o)
        return recno_;
    if (!o->curValid && !syncCursor(*o))
        return 0;
    uint64_t pos = o->cdx.ordinal(o->cur);
    if (o->top) {
        IndexCursor c;
        o->cdx.seek(c, *o->top);
        pos -= std::min(pos, o->cdx.ordinal(c));
    }
    return pos + 1;
}

// Position n (1-based) counted like keyNo(): from the first key inside the
// top scope. The index finds the key by its ordinal directly (a scroll-bar
// jump on a big table), instead of stepping key by key.
void WorkArea::keyGoto(uint64_t n)
{
    Order* o = active();
    if (n <= 1 || !o) {
        goTop();
        if (n > 1)
            skip(long(n - 1));
        return;
    }
    commit();
    found_ = false;
    bof_ = false;
    CdxIndex::Hold hold(o->cdx, false);
    uint64_t base = 0;
    if (o->top) {
        IndexCursor c;
        o->cdx.seek(c, *o->top);
        base = o->cdx.ordinal(c);
    }
    bool ok = o->cdx.seekOrdinal(o->cur, base + n - 1) && settleForward(*o);
    if (!ok)
        toEnd();
}

// ---------------------------------------------------------------- slots

namespace {

struct Slots {
    std::map<int, std::unique_ptr<WorkArea>> open;
    int current = 1;
    WorkArea* currentArea = nullptr;  // open[current], kept in step
    void refresh()
    {
        auto it = open.find(current);
        currentArea = it == open.end() ? nullptr : it->second.get();
    }
};

Slots& slots()
{
    static Slots s;
    return s;
}

} // namespace

int currentSlot() { return slots().current; }

WorkArea* areaAt(int slot)
{
    auto& s = slots();
    auto it = s.open.find(slot);
    return it == s.open.end() ? nullptr : it->second.get();
}

WorkArea* currentArea() { return slots().currentArea; }

WorkArea& area()
{
    WorkArea* wa = slots().currentArea;
    if (!wa)
        throw reportError("Nessuna tabella aperta nell'area " + std::to_string(currentSlot()));
    return *wa;
}

int slotOfAlias(std::string_view alias)
{
    for (auto& [n, wa] : slots().open)
        if (sameName(wa->alias(), alias))
            return n;
    return 0;
}

int lowestFreeSlot()
{
    auto& s = slots();
    int n = 1;
    for (auto& [k, wa] : s.open) {
        (void)wa;
        if (k != n)
            break;
        ++n;
    }
    if (n >= kSystemLockSlot)
        throw reportError("Nessuna area libera");
    return n;
}

int selectSlot(int slot)
{
    if (slot == 0)
        slot = lowestFreeSlot();
    if (slot < 1 || slot > kMaxSlot)
        throw reportError("Area inesistente: " + std::to_string(slot));
    slots().current = slot;
    slots().refresh();
    return slot;
}

WorkArea& placeArea(int slot, std::unique_ptr<WorkArea> wa)
{
    closeArea(slot);
    WorkArea& ref = *wa;
    slots().open[slot] = std::move(wa);
    slots().refresh();
    return ref;
}

void closeArea(int slot)
{
    auto& s = slots();
    auto it = s.open.find(slot);
    if (it == s.open.end())
        return;
    std::unique_ptr<WorkArea> wa = std::move(it->second);
    s.open.erase(it);
    s.refresh();
    // Commit what the buffer holds; the handles close (and the locks go)
    // even when the commit fails, and the failure is reported.
    wa->unlockAll();
}

std::vector<int> openSlots()
{
    std::vector<int> out;
    for (auto& [n, wa] : slots().open)
        out.push_back(n);
    return out;
}

} // namespace velt::data
