#pragma once
// One open table in a slot: its file, the current record and its buffer, the
// ordered list of its index files with the active one and their scopes, the
// found flag of the last seek, and the locks this slot holds.
//
// Deleted records are hidden: navigation, seeks and key counts skip them.
// Every index of the table is kept up to date on commit: the keys the record
// had when it was first changed go out, the keys it has now come in (a
// record flagged deleted, or outside a view's condition, carries none). The
// buffer is committed before any movement, on DBCOMMIT, DBUNLOCK and close.
//
// The slot registry (select, lowest free slot, aliases) is at the end; the
// commands use the free functions of data/table.h, which act on the current
// slot.
#include "data/cdx.h"
#include "data/dbf.h"
#include "data/keyexpr.h"
#include "util/value.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velt::data {

// One index file of an open table.
struct Order {
    Order();
    ~Order();
    Order(Order&&) noexcept;
    Order& operator=(Order&&) noexcept;

    std::string path;                      // full path as opened
    CdxIndex cdx;
    IndexKeyer keyer;                      // key and FOR (or view condition) over a record
    std::function<bool()> viewCondition;   // the view's condition, read on the current slot
    bool isView = false;
    std::optional<std::string> top, bottom;  // scope, as key bytes (a prefix for text)
    Value topValue, bottomValue;             // scope as the caller set it
    IndexCursor cur;
    bool curValid = false;                 // cur stands on the current record
};

class WorkArea {
public:
    WorkArea(int slot, std::string alias, DbfTable table, bool shared, bool readOnly);
    ~WorkArea();
    WorkArea(const WorkArea&) = delete;
    WorkArea& operator=(const WorkArea&) = delete;

    int slot() const { return slot_; }
    const std::string& alias() const { return alias_; }
    bool shared() const { return shared_; }
    bool readOnly() const { return readOnly_; }
    DbfTable& table() { return table_; }
    const std::string& path() const { return table_.path(); }

    // ---- navigation (commit the buffer first) ----
    void goTop();
    void goBottom();
    // Moves n records in the active order (file order without one), over
    // deleted records and inside the scope. Returns how many it moved.
    long skip(long n);
    void goTo(uint32_t recno);  // any record, deleted or not; beyond: end
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    uint32_t recno() const { return recno_; }
    uint32_t lastRec();          // records in the file (deleted included)
    // Seek on the active order. Text shorter than the key is a prefix; with
    // `exact` it is padded to the key length first. Without soft a miss goes
    // to the end; with `last` the last matching key is taken.
    bool seek(const Value& key, bool soft = false, bool last = false, bool exact = false);
    bool found() const { return found_; }

    // ---- fields ----
    int fieldCount() const { return int(table_.fields().size()); }
    int fieldPos(std::string_view name) const;  // 1-based, 0 when absent
    const FieldInfo& fieldInfo(int pos) const;  // 1-based
    Value get(int pos) const;
    void put(int pos, const Value& v);
    bool deleted() const { return DbfTable::isDeleted(rec_.data()); }
    void setDeleted(bool del);  // flag / recall the current record
    const char* buffer() const { return rec_.data(); }

    // Puts every record of the file in turn into the buffer (file order,
    // deleted ones included) and calls fn with its number; reads the file in
    // large blocks. Ends at the end-of-table position.
    void scan(const std::function<void(uint32_t recno)>& fn);

    void commit();   // writes the changed buffer and keeps the indexes
    void reread();   // commit, then read the current record again

    // ---- locks (exclusive tables: granted at once) ----
    bool tryLockRecord();          // current record; drops other record locks
    bool tryLockTable();
    bool tryAppendLock();
    void releaseAppendLock();
    bool holdsTableLock() const { return tableLock_; }
    bool holdsRecordLock(uint32_t recno) const;
    void unlockAll();              // commit, then drop every lock
    // Appends a blank record (the caller holds the table lock and the append
    // lock on a shared table); it becomes current and is locked.
    void appendBlank();
    void zap();
    void pack();   // rewrite without deleted records (exclusive tables)

    // ---- orders ----
    void addOrder(Order o);            // appended to the list
    std::vector<Order>& orders() { return orders_; }
    int activeOrder() const { return active_; }   // 1-based, 0 none
    void setActiveOrder(int n);                   // 0: file order
    Order* active() { return active_ ? &orders_[active_ - 1] : nullptr; }
    int orderByName(std::string_view name) const; // tag name or file base name; 0 none
    void closeOrders();
    // Key bytes of a value for an order (text: Windows-1252, as a prefix;
    // numbers and dates: the 8-byte encoding).
    std::string keyBytes(const Order& o, const Value& v) const;
    // Keys of the active order: count inside its scope, position of the
    // current record (1-based; 0 at the end), go to a position.
    uint64_t keyCount();
    uint64_t keyCount(Order& o);
    uint64_t keyNo();
    void keyGoto(uint64_t n);
    // The active order's key of the current record (empty without one).
    std::string currentKey();
    // Key of the record in the buffer for order o; nullopt when it carries none.
    std::optional<std::string> keyOf(Order& o);
    // The key expression's bytes for the buffer, whether it carries a key or not.
    std::string rawKey(const Order& o) const;
    // A view's condition on the buffer (false for a deleted record).
    bool viewAccepts(Order& o);

private:
    void load(uint32_t recno);           // read record into the buffer
    void toEnd();                        // end-of-table position
    bool inScope(const Order& o, const std::string& key) const;
    bool aboveTop(const Order& o, const std::string& key) const;
    bool belowBottom(const Order& o, const std::string& key) const;
    // Puts the active cursor on the current record; false when the record
    // carries no key there (the cursor then stands on the next entry).
    bool syncCursor(Order& o);
    // From the cursor position, the first usable record going forward /
    // backward (live, inside scope); false when there is none.
    bool landOnCursor(Order& o);
    bool settleForward(Order& o);
    bool settleBackward(Order& o);
    bool naturalForward(uint32_t from);   // first live record >= from
    bool naturalBackward(uint32_t from);  // last live record <= from
    void beginChange();                   // remember the keys before a change
    void lockOnly(uint32_t recno);        // the record lock set holds just recno
    void requireWritable();

    int slot_;
    std::string alias_;
    DbfTable table_;
    bool shared_, readOnly_;

    std::string rec_;
    std::string spare_;  // storage for the next blank record of an append
    uint32_t recno_ = 1;
    bool eof_ = true, bof_ = true, found_ = false;
    bool dirty_ = false, isNew_ = false;
    bool pendingAppend_ = false;  // exclusive: the new record is written at commit
    std::vector<std::optional<std::string>> oldKeys_;

    std::vector<Order> orders_;
    int active_ = 0;

    std::set<uint32_t> recLocks_;
    bool tableLock_ = false, appendLock_ = false;
};

// ---- slots ----
inline constexpr int kMaxSlot = 65534;
inline constexpr int kSystemLockSlot = 65534;

// The current slot number (1 at start) and its table, nullptr when empty.
int currentSlot();
WorkArea* currentArea();
// The current table; a program error when the slot is empty.
WorkArea& area();
WorkArea* areaAt(int slot);
// Slot of the table with this alias (any case), 0 when none.
int slotOfAlias(std::string_view alias);
// Makes `slot` current; 0 selects the lowest free slot. Returns the slot.
int selectSlot(int slot);
int lowestFreeSlot();
// Puts a table in a slot (closing what was there) / closes a slot.
WorkArea& placeArea(int slot, std::unique_ptr<WorkArea> wa);
void closeArea(int slot);
std::vector<int> openSlots();

} // namespace velt::data
