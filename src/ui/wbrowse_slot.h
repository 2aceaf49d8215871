#pragma once
// The browse's access to its table: its slot selected for the duration of a
// scope (the slot that was current comes back), and the skip the browse moves
// with, which never leaves the pointer past the last record.
#include "data/tables.h"

#include <string>

namespace velt {

// A table is open under the browse's alias.
inline bool browseTableOpen(const std::string& alias) { return !alias.empty() && data::SELECT(alias) != 0; }

class InBrowseSlot {
public:
    explicit InBrowseSlot(const std::string& alias) : previous_(data::SELECT())
    {
        if (data::SELECT(alias) != previous_) data::DBSELECTAREA(alias);
    }
    ~InBrowseSlot()
    {
        if (data::SELECT() != previous_) data::DBSELECTAREA(previous_);
    }
    InBrowseSlot(const InBrowseSlot&) = delete;
    InBrowseSlot& operator=(const InBrowseSlot&) = delete;

private:
    int previous_;
};

// Moves n records in index order and returns how many it really moved;
// going beyond the last record stays on it.
inline long browseSkip(long n)
{
    long moved = data::DBSKIP(n);
    if (n > 0 && data::DBEOF()) data::DBSKIP(-1);
    return moved;
}

} // namespace velt
