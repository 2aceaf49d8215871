#include "data/createdb.h"

#include "data/manutenz.h"
#include "data/notify.h"
#include "data/tables.h"
#include "data/workarea.h"
#include "platform/fs.h"
#include "platform/marker.h"
#include "platform/process_exit.h"
#include "util/errors.h"
#include "util/numround.h"
#include "util/picture.h"
#include "util/strfmt.h"

namespace velt::data {

namespace fs = platform::fs;

namespace {

constexpr const char* kCheckWait = "Verifica archivi in corso...";
constexpr const char* kUpdateWait = "Aggiornamento archivi in corso...";

void report(const VeltError& e)
{
    try {
        notifier().error(e);
    } catch (const Abandon&) {
    }
}

bool sameUpper(std::string_view a, std::string_view b) { return UPPER(a) == UPPER(b); }

// A number brought to the field's decimals (halves away from zero); 0 when
// it does not fit the width.
Value fitted(double v, const FieldDef& f)
{
    const double r = ROUND(v, f.decimals);
    if (!DbfTable::formatNumber(r, f.width, f.decimals))
        return Value(0.0);
    return Value(r);
}

// The number as text without leading blanks, with `decimals` decimals.
std::string numberText(double v, int decimals)
{
    auto t = DbfTable::formatNumber(ROUND(v, decimals), 40, decimals);
    return t ? std::string(LTRIM(*t)) : std::string();
}

bool isTextType(char t) { return t == 'C' || t == 'M'; }

std::string directoryPart(const std::string& name)
{
    const size_t p = name.find_last_of("/\\");
    return p == std::string::npos ? std::string() : name.substr(0, p + 1);
}

} // namespace

std::string ADJNUM(std::string_view text)
{
    std::string s(text);
    if (s.find(',') == std::string::npos)
        return s;
    std::string out;
    for (char c : s)
        if (c != '.')
            out += c == ',' ? '.' : c;
    return out;
}

Value CONVDATO(const Value& value, const FieldDef& oldField, const FieldDef& newField)
{
    const char from = oldField.type, to = newField.type;
    if (from == to && from != 'N')
        return value;
    if (isTextType(from)) {
        const std::string& text = value.text();
        switch (to) {
        case 'M': return Value(std::string(RTRIM(text)));
        case 'D': {
            const std::string trimmed(ALLTRIM(text));
            Date d = Date::fromText(trimmed);
            if (d.isEmpty())
                d = Date::fromDtos(trimmed.substr(0, 8));
            return Value(d);
        }
        case 'N': return fitted(readNumber(ADJNUM(text)), newField);
        case 'L': {
            const std::string_view t = LTRIM(text);
            return Value(!(t.empty() || UPPER(t.substr(0, 3)) == ".F."));
        }
        case 'C': {  // a memo into a text field: its lines joined by blanks
            std::string out;
            for (size_t i = 0; i < text.size(); ++i) {
                if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                    out += ' ';
                    ++i;
                } else {
                    out += text[i];
                }
            }
            return Value(out);
        }
        }
    }
    if (from == 'D') {
        const Date d = value.date();
        if (to == 'N') {
            int y = 0, m = 0, dd = 0;
            d.ymd(y, m, dd);
            return fitted(d.isEmpty() ? 0.0 : double(y * 10000 + m * 100 + dd), newField);
        }
        if (to == 'L')
            return Value(!d.isEmpty());
        if (isTextType(to))
            return Value(d.isEmpty() ? std::string(8, ' ') : d.toText(false));
    }
    if (from == 'N') {
        const double n = value.number();
        if (to == 'L')
            return Value(n != 0.0);
        if (to == 'N')
            return fitted(n, newField);
        if (isTextType(to))
            return Value(n == 0.0 ? std::string() : numberText(n, oldField.decimals));
        if (to == 'D')
            return Value(Date::fromDtos(numberText(n, oldField.decimals).substr(0, 8)));
    }
    if (from == 'L') {
        const bool b = value.logical();
        if (isTextType(to))
            return Value(std::string(b ? ".T." : ""));
        if (to == 'D')
            return Value(Date());
        if (to == 'N')
            return fitted(b ? 1.0 : 0.0, newField);
    }
    return value;
}

bool NEEDUPD(const std::string& table, const Structure& structure)
{
    TableGuard guard;
    DBSELECTAREA(0);
    try {
        DBOPEN(false, table, {}, true, true);
        const auto& have = area().table().fields();
        bool differs = false;
        for (const FieldDef& want : structure) {
            const FieldInfo* f = nullptr;
            for (const auto& h : have)
                if (sameUpper(h.name, want.name)) {
                    f = &h;
                    break;
                }
            if (!f || f->type != want.type || f->width != want.width || f->decimals != want.decimals) {
                differs = true;
                break;
            }
        }
        DBCLOSE();
        return differs;
    } catch (const VeltError& e) {
        report(e);
    } catch (const Abandon&) {
    }
    return false;
}

bool MODITAB(const std::string& table, const Structure& structure)
{
    const std::string work = directoryPart(table) + kTempDbf;
    const std::string workDbf = tablePath(work);
    TableGuard guard;
    DBSELECTAREA(0);
    try {
        DBGEN(work, structure);
        DbfTable out = DbfTable::open(workDbf, Access::ReadWrite, Share::Exclusive);
        // Exclusive, so nobody appends or edits while the records are copied;
        // it stays open until the converted table has taken its place.
        DBOPEN(true, table, "OLD", false, true);
        WorkArea& old = area();
        const auto& oldFields = old.table().fields();
        // Each wanted field takes the first old field whose name begins with
        // the wanted name ("DESCRIZIO" serves "DESCRIZ").
        std::vector<int> source(structure.size(), -1);
        for (size_t i = 0; i < structure.size(); ++i) {
            const std::string want = UPPER(structure[i].name);
            for (size_t j = 0; j < oldFields.size(); ++j)
                if (UPPER(oldFields[j].name).compare(0, want.size(), want) == 0) {
                    source[i] = int(j);
                    break;
                }
        }
        std::string rec;
        old.scan([&](uint32_t) {
            const char* src = old.buffer();
            if (DbfTable::isDeleted(src))
                return;
            rec = out.blankRecord();
            for (size_t i = 0; i < structure.size(); ++i) {
                if (source[i] < 0)
                    continue;
                const FieldInfo& of = oldFields[size_t(source[i])];
                out.putValue(rec.data(), int(i),
                             CONVDATO(old.table().getValue(src, source[i]), of, out.fields()[i]));
            }
            out.appendRecord(rec.data());
        });
        out.flush();
        out.close();
        const bool ok = replaceTableFiles(workDbf, tablePath(table), platform::isSharedInstall());
        DBCLOSE("OLD");
        return ok;
    } catch (const VeltError& e) {
        report(e);
    } catch (const Abandon&) {
    }
    try {
        fs::removeFile(workDbf);
        fs::removeFile(fs::replaceExtension(workDbf, kMemoExt));
    } catch (const VeltError& e) {
        report(e);
    }
    return false;
}

bool CREATEDB(const std::vector<std::string>& names, const std::vector<Structure>& structures,
              const std::vector<std::vector<std::string>>& indexFiles)
{
    notifier().showWait(kCheckWait);
    bool needMaintenance = false;
    try {
        for (size_t i = 0; i < names.size(); ++i) {
            const std::string file = tablePath(names[i]);
            recoverTableFiles(file);
            if (!fs::exists(file)) {
                notifier().showWait(kUpdateWait);
                DBGEN(names[i], structures[i]);
                needMaintenance = true;
                continue;  // made with the wanted structure
            }
            if (NETUSED(names[i]))
                continue;
            if (NEEDUPD(names[i], structures[i])) {
                notifier().showWait(kUpdateWait);
                if (!MODITAB(names[i], structures[i])) {
                    notifier().closeWait();
                    return false;
                }
                needMaintenance = true;
            }
        }
        for (const auto& files : indexFiles)
            for (const auto& ix : files)
                if (!fs::exists(indexPath(ix)))
                    needMaintenance = true;
    } catch (const VeltError& e) {
        report(e);
        notifier().closeWait();
        return false;
    } catch (const Abandon&) {
        notifier().closeWait();
        return false;
    }
    notifier().closeWait();
    if (needMaintenance)
        MANUTENZIONE(false);
    return true;
}

bool AGGIORNADATABASE()
{
    std::vector<std::string> names;
    std::vector<Structure> structures;
    std::vector<std::vector<std::string>> indexFiles;
    for (const TableSpec& t : catalogue()) {
        names.push_back(t.name);
        structures.push_back(t.fields);
        std::vector<std::string> files;
        for (const auto& ix : t.indexes)
            files.push_back(ix.file);
        indexFiles.push_back(std::move(files));
    }
    if (CREATEDB(names, structures, indexFiles))
        return true;
    platform::endProgram(1);
    return false;
}

} // namespace velt::data
