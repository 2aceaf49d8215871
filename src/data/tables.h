#pragma once
// The table access layer as the commands use it: numbered slots with
// aliases, one current slot, and the operations on the table there.
//
// A command remembers the current slot, selects slot 0 (the lowest free
// one), opens its table, adds its index files in a fixed order, works, closes
// the table and selects the remembered slot again (TableGuard does the
// remembering and closing, also when the command is abandoned).
//
// File names: upper-cased (the last component), ".DBF" added to table names
// and ".NTX" to index names whose last component has no "."; a trailing "."
// means "no extension" (the lock table "NET."). Names without a directory
// are in the data directory, the current working directory.
//
// Waits for another copy of the program never time out: an open waits while
// the table is in use, a lock or an append shows "Il sistema è
// momentaneamente occupato..." after 3 seconds and goes on trying (the wait
// messages go through data/notify.h). Disk and file errors are VeltErrors of
// the format layer, propagated to the caller's error handler.
//
// Writing a field of a shared table needs the record lock (DBLOCK(true)) or
// the table lock (DBLOCK(false), DBAPP); without it the write is refused with
// a program error rather than risk overwriting another terminal's change.
#include "data/dictionary.h"
#include "data/workarea.h"
#include "util/value.h"

#include <functional>
#include <string>
#include <vector>

namespace velt::data {

// ---------------------------------------------------------------- paths
// The private temporary directory (ACS_TEMP); empty until the shell has set
// it up. View files live there; the system lock is inactive before.
void setPrivateTempDir(const std::string& dir);
const std::string& privateTempDir();
// Full file names as the layer opens them.
std::string tablePath(const std::string& name);  // ".DBF" default
std::string indexPath(const std::string& name);  // ".NTX" default, absolute
std::string viewPath(int slot);

// ---------------------------------------------------------------- slots
int SELECT();                          // current slot
int SELECT(const std::string& alias);  // slot of an alias, 0 when none
void DBSELECTAREA(int slot);           // 0: lowest free slot
void DBSELECTAREA(const std::string& alias);
bool USED();                           // a table is open in the current slot
std::string ALIAS();                   // alias of the current slot ("" when empty)

// Remembers the current slot; on destruction closes the tables opened while
// it lived (the slots that were free when it was made) and selects the
// remembered slot again.
class TableGuard {
public:
    TableGuard();
    ~TableGuard() noexcept(false);
    TableGuard(const TableGuard&) = delete;
    TableGuard& operator=(const TableGuard&) = delete;

private:
    int slot_;
    std::vector<int> before_;
    int unwinding_;
};

// ---------------------------------------------------------------- open, close, create
// Opens a table: in the lowest free slot (newSlot) or in the current one
// (closing what was there); the slot becomes current. Waits while another
// process holds the table in a conflicting mode.
void DBOPEN(bool newSlot, const std::string& file, const std::string& alias = {}, bool shared = true,
            bool readOnly = false);
// Closes the table of `alias` (default: the current slot), deletes its view
// file and selects again the slot that was current.
void DBCLOSE(const std::string& alias = {});
// Closes every table (the system lock too), selects slot 1, deletes every
// view file of the private temporary directory.
void CLOSEALL();
// Creates an empty table (and its memo file) after the disk checks; when a
// check fails its message has been shown and Abandon is thrown.
void DBGEN(const std::string& file, const Structure& structure);
// True when the file exists and another process has it open.
bool NETUSED(const std::string& file);

// ---------------------------------------------------------------- index files
void ORDADD(const std::string& file);
// Builds the index file over the current table (replacing the file), with
// the key text stripped of every "FIELD -> " and the condition "!DELETED()";
// the built index joins the table's list and becomes active. Keys are
// computed from the stored text, so the file reopened later is kept the same
// way.
void ORDBUILD(const std::string& file, const std::string& keyText, bool unique = false);
std::vector<std::string> ORDLIST();
std::vector<std::string> ORDLIST(const std::string& leaveOut);
void ORDLIST(const std::vector<std::string>& files);
// Makes an index active by tag or file base name ("" or unknown: none);
// returns the name of the index that was active. The record stays.
std::string ORDSETFOCUS(const std::string& name);
std::string ORDSETFOCUS(int n);
std::string ORDNAME();                 // active index name, "" for none
std::string ORDKEY();                  // active index's stored key text
// Scope of the active index: 0 top, 1 bottom; Nil clears it. ORDSCOPE(which)
// reads it.
void ORDSCOPE(int which, const Value& v);
Value ORDSCOPE(int which);
uint64_t ORDKEYCOUNT();                // keys of the active index in its scope
uint64_t ORDKEYNO();                   // position of the current record, 1-based
void ORDKEYGOTO(uint64_t n);           // go to the record at key position n
Value ORDKEYVAL();                     // the active index key of the current record (raw text)
// Keys of the first index with the active index's scope values applied.
uint64_t TOTREC();

// ---------------------------------------------------------------- views
using ViewCondition = std::function<bool()>;
// Builds a private index of the records satisfying `condition` (evaluated
// with the table's record current) ordered by `keyText` (default: the active
// index's key, "RECNO()" without one) and makes it active.
void DBSETVIEW(const ViewCondition& condition, const std::string& conditionText = {},
               const std::string& keyText = {});
// Drops the view and makes active again the index active before it. An
// index file that cannot be opened again is reported (the error propagates)
// and the table stays without it.
void DBCLEARVIEW();
bool HASVIEW();

// ---------------------------------------------------------------- locks, append, delete
bool DBLOCK(bool record);
void DBAPP();
void DBDEL(bool commit = true);
bool DELREC();
void _DBZAP();
void DBUNLOCK();
void DBCOMMIT();
// Rewrites the table without the records flagged deleted (exclusive only);
// its open index files are rebuilt.
void DBPACK();

// ---------------------------------------------------------------- system lock, disks
void SCREATE();
void SLOCK();
void SUNLOCK();
bool SLOCKED();
bool ISREADY(const std::string& path, bool message = true);
bool ISFULL(const std::string& drive, uint64_t bytes = 8192);

// ---------------------------------------------------------------- navigation, fields
void DBGOTOP();
void DBGOBOTTOM();
long DBSKIP(long n = 1);               // returns the records really moved
void DBGOTO(uint32_t recno);
bool DBEOF();
bool DBBOF();
uint32_t RECNO();
uint32_t LASTREC();
bool DBSEEK(const Value& key, bool soft = false, bool last = false);
bool DBSEEKEXACT(const Value& key);    // a text key padded to the key length
bool FOUND();
int FCOUNT();
int FIELDPOS(const std::string& name);
std::string FIELDNAME(int pos);
// "NAME" on the current table or "ALIAS->NAME" on another open one.
Value FIELDGET(const std::string& name);
Value FIELDGET(int pos);
void FIELDPUT(const std::string& name, const Value& v);
void FIELDPUT(int pos, const Value& v);
bool DELETED();
void DBRECALL();

} // namespace velt::data
