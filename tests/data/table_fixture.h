#pragma once
// Shared by the table-layer tests: a fresh data directory as the working
// directory, a recording notifier, and small helpers over the layer.
#include "data/notify.h"
#include "data/tables.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velt::test {

class TableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto n = std::make_unique<data::RecordingNotifier>();
        note = n.get();
        data::setNotifier(std::move(n));
        data::setPrivateTempDir({});
    }
    void TearDown() override
    {
        data::CLOSEALL();
        data::setPrivateTempDir({});
        data::setNotifier(nullptr);
    }

    // Creates a catalogue table and opens it with its index files built.
    static void createCatalogueTable(const std::string& name, bool shared = true)
    {
        const data::TableSpec* t = data::findTable(name);
        data::DBGEN(name, t->fields);
        data::DBOPEN(true, name, {}, shared, false);
        for (const auto& ix : t->indexes)
            data::ORDBUILD(ix.file, ix.keyText);
        if (!t->indexes.empty())
            data::ORDSETFOCUS(t->indexes.front().file);
    }

    // Appends one record with the given field values, as a form does.
    static uint32_t append(const std::vector<std::pair<std::string, Value>>& fields)
    {
        data::DBAPP();
        for (const auto& [n, v] : fields)
            data::FIELDPUT(n, v);
        data::DBCOMMIT();
        uint32_t r = data::RECNO();
        data::DBUNLOCK();
        return r;
    }

    // Record numbers in the active order, top to bottom.
    static std::vector<uint32_t> walk()
    {
        std::vector<uint32_t> out;
        data::DBGOTOP();
        while (!data::DBEOF()) {
            out.push_back(data::RECNO());
            data::DBSKIP(1);
        }
        return out;
    }

    static std::string text(const std::string& field)
    {
        std::string s = data::FIELDGET(field).text();
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        return s;
    }

    TempDataDir dir;
    data::RecordingNotifier* note = nullptr;
};

} // namespace velt::test
