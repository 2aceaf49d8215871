#include "data/dbf.h"

#include "platform/clock.h"
#include "platform/fs.h"
#include "util/cp1252.h"
#include "util/errors.h"
#include "util/numround.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace velt::data {

namespace {

constexpr char kEof = 0x1A;

uint32_t getLE32(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t getLE16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
void putLE32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void putLE16(unsigned char* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void putToday(unsigned char* p)
{
    int y, m, d;
    platform::clock().today().ymd(y, m, d);
    if (y == 0) y = 1900, m = 1, d = 1;
    p[0] = uint8_t(y - 1900);
    p[1] = uint8_t(m);
    p[2] = uint8_t(d);
}

std::string upper(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = char(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

bool knownVersion(unsigned char v)
{
    switch (v) {
    case 0x02: case 0x03: case 0x30: case 0x31: case 0x32: case 0x43: case 0x63: case 0x83:
    case 0x8B: case 0x8E: case 0xCB: case 0xE5: case 0xF5: case 0xFB:
        return true;
    default:
        return false;
    }
}

} // namespace

std::string memoPathFor(const std::string& tablePath) { return platform::fs::replaceExtension(tablePath, ".DBT"); }

void DbfTable::close() noexcept
{
    headMap_ = platform::FileMap();
    headMapState_ = 0;
    if (memo_) memo_->close();
    memo_.reset();
    file_.close();
}

DbfTable DbfTable::open(const std::string& path, Access access, Share share)
{
    DbfTable t;
    t.file_ = platform::File::open(path, access, share);
    t.name_ = upper(platform::fs::baseName(path));
    t.readHeader();
    bool memo = false;
    for (const auto& f : t.fields_) memo = memo || f.type == 'M';
    if (memo) t.memo_ = std::make_unique<FptMemo>(FptMemo::open(memoPathFor(path), access, share));
    return t;
}

void DbfTable::readHeader()
{
    const std::string& p = file_.path();
    unsigned char h[32];
    if (file_.readAt(0, h, 32) != 32) throw corruptFile(p, "table header");
    if (!knownVersion(h[0])) throw corruptFile(p, "table version");
    hdrLen_ = getLE16(h + 8);
    recLen_ = getLE16(h + 10);
    if (hdrLen_ < 33 || recLen_ < 1) throw corruptFile(p, "table header lengths");
    std::string desc(hdrLen_ - 32, '\0');
    file_.readExact(32, desc.data(), desc.size());
    fields_.clear();
    int offset = 1;
    size_t pos = 0;
    std::set<std::string> names;
    for (;;) {
        if (pos >= desc.size()) throw corruptFile(p, "field descriptors without end mark");
        if (desc[pos] == 0x0D) break;
        if (pos + 32 > desc.size()) throw corruptFile(p, "field descriptor");
        const auto* d = reinterpret_cast<const unsigned char*>(desc.data() + pos);
        FieldInfo f;
        size_t n = 0;
        while (n < 11 && d[n] != 0) ++n;
        f.name = upper(std::string_view(reinterpret_cast<const char*>(d), n));
        while (!f.name.empty() && f.name.back() == ' ') f.name.pop_back();
        f.type = char(std::toupper(d[11]));
        f.width = d[16];
        f.decimals = d[17];
        if (f.type == 'C') f.width = d[16] | d[17] << 8, f.decimals = 0;   // long C fields use both bytes
        if (f.name.empty() || f.width == 0 || !names.insert(f.name).second)
            throw corruptFile(p, "field descriptor");
        f.offset = offset;
        offset += f.width;
        fields_.push_back(std::move(f));
        pos += 32;
    }
    if (fields_.empty() || size_t(offset) != recLen_) throw corruptFile(p, "record length");
    count_ = getLE32(h + 4);
    refreshCount();
}

uint32_t DbfTable::rereadCount() const
{
    if (alone() && checked_) return count_;
    unsigned char c[4];
    file_.readExact(4, c, 4);
    uint32_t count = getLE32(c);
    // An unchanged count was checked against the file length already.
    if (count == count_ && checked_) return count_;
    uint64_t size = file_.size();
    if (size < hdrLen_) throw corruptFile(file_.path(), "table shorter than its header");
    uint64_t whole = (size - hdrLen_) / recLen_;
    if (count > whole) {
        // One missing record is what a crash between the header write and
        // the data reaching the disk can leave: the table reads on without it.
        if (count - whole > 1) throw corruptFile(file_.path(), "record count beyond the end of the file");
        count = uint32_t(whole);
    }
    count_ = count;
    checked_ = count == getLE32(c);
    return count_;
}

DbfTable DbfTable::create(const std::string& path, const std::vector<FieldDef>& defs, Share share)
{
    std::string tname = upper(platform::fs::baseName(path));
    if (defs.empty() || defs.size() > 255) throw reportError("numero di campi non valido", path, "create");
    std::vector<FieldInfo> fields;
    std::set<std::string> names;
    int offset = 1;
    bool memo = false;
    for (const auto& d : defs) {
        FieldInfo f;
        static_cast<FieldDef&>(f) = d;
        f.name = upper(d.name);
        f.type = char(std::toupper(static_cast<unsigned char>(d.type)));
        bool nameOk = !f.name.empty() && f.name.size() <= 10 && std::isalpha(static_cast<unsigned char>(f.name[0]));
        for (char c : f.name) nameOk = nameOk && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
        if (!nameOk || !names.insert(f.name).second)
            throw reportError("nome di campo non valido: " + d.name, path, "create");
        bool ok = true;
        switch (f.type) {
        case 'C': ok = f.width >= 1 && f.width <= 254; f.decimals = 0; break;
        case 'N': ok = f.width >= 1 && f.width <= 20 && f.decimals >= 0 && (f.decimals == 0 || f.decimals <= f.width - 2); break;
        case 'D': f.width = 8; f.decimals = 0; break;
        case 'L': f.width = 1; f.decimals = 0; break;
        case 'M': f.width = 10; f.decimals = 0; memo = true; break;
        default: ok = false;
        }
        if (!ok) throw reportError("definizione non valida del campo " + f.name, path, "create");
        f.offset = offset;
        offset += f.width;
        fields.push_back(std::move(f));
    }
    if (offset > 65535) throw reportError("record troppo lungo", path, "create");

    DbfTable t;
    t.file_ = platform::File::create(path, share);
    t.name_ = tname;
    t.fields_ = std::move(fields);
    t.hdrLen_ = uint32_t(32 + 32 * t.fields_.size() + 1);
    t.recLen_ = size_t(offset);
    t.count_ = 0;
    std::string h(t.hdrLen_ + 1, '\0');
    auto* p = reinterpret_cast<unsigned char*>(h.data());
    p[0] = memo ? 0xF5 : 0x03;
    putToday(p + 1);
    putLE32(p + 4, 0);
    putLE16(p + 8, uint16_t(t.hdrLen_));
    putLE16(p + 10, uint16_t(t.recLen_));
    p[29] = 0x03;
    for (size_t i = 0; i < t.fields_.size(); ++i) {
        auto* d = p + 32 + 32 * i;
        const auto& f = t.fields_[i];
        std::memcpy(d, f.name.data(), f.name.size());
        d[11] = uint8_t(f.type);
        putLE32(d + 12, uint32_t(f.offset));
        d[16] = uint8_t(f.width);
        d[17] = uint8_t(f.decimals);
    }
    p[t.hdrLen_ - 1] = 0x0D;
    p[t.hdrLen_] = kEof;
    t.file_.writeAt(0, h.data(), h.size());
    if (memo) t.memo_ = std::make_unique<FptMemo>(FptMemo::create(memoPathFor(path), share));
    return t;
}

int DbfTable::fieldIndex(std::string_view name) const
{
    for (size_t i = 0; i < fields_.size(); ++i) {
        const std::string& n = fields_[i].name;
        if (n.size() != name.size()) continue;
        bool eq = true;
        for (size_t k = 0; k < n.size() && eq; ++k)
            eq = n[k] == std::toupper(static_cast<unsigned char>(name[k]));
        if (eq) return int(i);
    }
    return -1;
}

void DbfTable::readRecord(uint32_t recno, char* buf) const
{
    if (recno > count_) rereadCount();
    if (recno < 1 || recno > count_) throw reportError("record fuori dal file", file_.path(), "read");
    uint64_t off = hdrLen_ + uint64_t(recno - 1) * recLen_;
    file_.readExact(off, buf, recLen_);
}

void DbfTable::writeRecord(uint32_t recno, const char* buf)
{
    if (recno > count_) refreshCount();
    if (recno < 1 || recno > count_) throw reportError("record fuori dal file", file_.path(), "write");
    file_.writeAt(hdrLen_ + uint64_t(recno - 1) * recLen_, buf, recLen_);
}

uint32_t DbfTable::appendRecord(const char* buf)
{
    if (!alone() || !checked_) refreshCount();
    if (count_ == UINT32_MAX) throw reportError("tabella piena", file_.path(), "append");
    uint32_t n = count_ + 1;
    appendBuf_.assign(buf, recLen_);
    appendBuf_.push_back(kEof);
    file_.writeAt(hdrLen_ + uint64_t(n - 1) * recLen_, appendBuf_.data(), appendBuf_.size());
    writeCount(n);
    return n;
}

void DbfTable::writeCount(uint32_t count)
{
    unsigned char h[7];
    putToday(h);
    putLE32(h + 3, count);
    // The caller wrote the record first: a store into the mapped header page
    // reaches the file's pages after it, as the write below would.
    if (unsigned char* m = headerMap())
        std::memcpy(m + 1, h, sizeof h);
    else
        file_.writeAt(1, h, sizeof h);
    count_ = count;
    checked_ = true;
}

unsigned char* DbfTable::headerMap()
{
    if (headMapState_ == 0) {
        headMapState_ = -1;
        if (alone() && file_.access() == Access::ReadWrite && file_.onLocalDisk()) {
            headMap_ = platform::FileMap(file_, 32, true);
            headMapState_ = 1;
        }
    }
    return headMapState_ == 1 ? headMap_.writableData() : nullptr;
}

void DbfTable::touchDate()
{
    unsigned char h[3];
    putToday(h);
    file_.writeAt(1, h, 3);
}

void DbfTable::zap()
{
    file_.truncate(hdrLen_);
    char e = kEof;
    file_.writeAt(hdrLen_, &e, 1);
    writeCount(0);
    if (memo_) memo_->zap();
}

void DbfTable::flush()
{
    file_.sync();
    if (memo_) memo_->file().sync();
}

std::string DbfTable::blankRecord() const { return std::string(recLen_, ' '); }

std::string_view DbfTable::fieldBytes(const char* rec, int i) const
{
    const auto& f = fields_[size_t(i)];
    return {rec + f.offset, size_t(f.width)};
}

namespace {

// The common case of formatNumber without text work: v is the double nearest
// to k / 10^decimals for an integer k of at most 15 digits, so rounding to
// the decimals keeps it and its decimal text is k's digits with the point
// put in. Returns false when v is not such a value (the general path decides).
bool formatExact(double v, int width, int decimals, std::string& out)
{
    static constexpr double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
    if (decimals < 0 || decimals > 10 || !(std::fabs(v) < 1e15)) return false;
    const double scale = kPow10[decimals];
    const double m = v * scale;
    if (!(std::fabs(m) < 1e15)) return false;
    const long long k = std::llround(m);
    if (double(k) / scale != v) return false;
    unsigned long long a = k < 0 ? 0ULL - static_cast<unsigned long long>(k) : static_cast<unsigned long long>(k);
    char buf[40];
    char* e = buf + sizeof buf;
    char* p = e;
    for (int i = 0; i < decimals; ++i, a /= 10) *--p = char('0' + a % 10);
    if (decimals > 0) *--p = '.';
    do {
        *--p = char('0' + a % 10);
        a /= 10;
    } while (a != 0);
    if (k < 0) *--p = '-';
    const int n = int(e - p);
    if (n > width) return false;   // the general path says "does not fit" the same way
    out.assign(size_t(width - n), ' ');
    out.append(p, size_t(n));
    return true;
}

// Windows-1252 of a UTF-8 text into a field: plain ASCII is the same bytes.
void putText(char* dst, size_t width, std::string_view utf8)
{
    bool ascii = true;
    for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        size_t n = std::min(utf8.size(), width);
        std::memcpy(dst, utf8.data(), n);
        std::memset(dst + n, ' ', width - n);
        return;
    }
    std::string s = utf8ToCp1252(utf8);
    size_t n = std::min(s.size(), width);
    std::memcpy(dst, s.data(), n);
    std::memset(dst + n, ' ', width - n);
}

} // namespace

std::optional<std::string> DbfTable::formatNumber(double v, int width, int decimals)
{
    if (!std::isfinite(v)) return std::nullopt;
    if (std::string fast; formatExact(v, width, decimals, fast)) return fast;
    double r = ROUND(v, decimals);
    if (r == 0) r = 0;   // no "-0.00"
    if (std::fabs(r) >= 1e20) return std::nullopt;
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, r);
    if (n < 0 || n > width) return std::nullopt;
    return std::string(buf, size_t(n));
}

double DbfTable::parseNumber(std::string_view bytes)
{
    // The field as this system writes it (blanks, an optional minus, at most
    // 15 digits with one point): the digits as an integer divided by the
    // power of ten is the correctly rounded value, as strtod gives.
    {
        static constexpr double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10,
                                            1e11, 1e12, 1e13, 1e14, 1e15};
        size_t i = 0, n = bytes.size();
        while (i < n && bytes[i] == ' ') ++i;
        bool neg = i < n && bytes[i] == '-';
        if (neg) ++i;
        uint64_t k = 0;
        int digits = 0, decimals = -1;
        bool ok = i < n;
        for (; i < n && ok; ++i) {
            char c = bytes[i];
            if (c >= '0' && c <= '9') {
                k = k * 10 + uint64_t(c - '0');
                ++digits;
                if (decimals >= 0) ++decimals;
            } else if (c == '.' && decimals < 0) {
                decimals = 0;
            } else {
                ok = false;
            }
        }
        if (ok && digits > 0 && digits <= 15) {
            double v = double(k) / kPow10[decimals < 0 ? 0 : decimals];
            return neg ? -v : v;
        }
        if (i == n && digits == 0 && decimals < 0 && !neg) return 0.0;   // all blanks
    }
    char buf[64];
    size_t n = 0;
    for (char c : bytes) {
        if (c == ' ' && n == 0) continue;
        if (n + 1 >= sizeof buf) break;
        buf[n++] = c;
    }
    buf[n] = 0;
    char* end = nullptr;
    double v = std::strtod(buf, &end);
    if (end == buf || !std::isfinite(v)) return 0.0;
    return v;
}

Value DbfTable::getValue(const char* rec, int i) const
{
    const auto& f = fields_[size_t(i)];
    std::string_view b = fieldBytes(rec, i);
    switch (f.type) {
    case 'N':
    case 'F': return Value(parseNumber(b));
    case 'D': return Value(Date::fromDtos(b));
    case 'L': return Value(b[0] == 'T' || b[0] == 't' || b[0] == 'Y' || b[0] == 'y');
    case 'M': {
        double blk = parseNumber(b);
        if (blk <= 0 || !memo_) return Value(std::string());
        if (blk > 4294967295.0) throw corruptFile(memo_->path(), "memo block out of range");
        return Value(cp1252ToUtf8(memo_->read(uint32_t(blk))));
    }
    default: {
        bool ascii = true;
        for (char c : b) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        return Value(ascii ? std::string(b) : cp1252ToUtf8(b));
    }
    }
}

void DbfTable::fieldError(int i, const std::string& what) const
{
    throw reportError(what + " " + name_ + "->" + fields_[size_t(i)].name, file_.path(), "write");
}

void DbfTable::putValue(char* rec, int i, const Value& v)
{
    const auto& f = fields_[size_t(i)];
    char* dst = rec + f.offset;
    auto wrongType = [&] { fieldError(i, "tipo di dato errato per il campo"); };
    switch (f.type) {
    case 'N':
    case 'F': {
        if (!v.isNil() && !v.isNumber()) wrongType();
        auto s = formatNumber(v.number(), f.width, f.decimals);
        if (!s) fieldError(i, "numero troppo grande per il campo");
        std::memcpy(dst, s->data(), size_t(f.width));
        return;
    }
    case 'D': {
        if (!v.isNil() && !v.isDate()) wrongType();
        int y = 0, m = 0, d = 0;
        if (!v.date().isEmpty()) v.date().ymd(y, m, d);
        if (y < 1 || y > 9999) {   // the empty date, and years "YYYY" cannot hold: the general text
            std::string s = v.date().toDtos();
            std::memcpy(dst, s.data(), 8);
            return;
        }
        const int parts[3][2] = {{y, 4}, {m, 2}, {d, 2}};
        char* o = dst;
        for (const auto& [num, digits] : parts) {
            int x = num;
            for (int k = digits - 1; k >= 0; --k, x /= 10) o[k] = char('0' + x % 10);
            o += digits;
        }
        return;
    }
    case 'L':
        if (!v.isNil() && !v.isLogical()) wrongType();
        dst[0] = v.logical() ? 'T' : 'F';
        return;
    case 'M': {
        if (!v.isNil() && !v.isText()) wrongType();
        if (!memo_) fieldError(i, "file memo mancante per il campo");
        double old = parseNumber(fieldBytes(rec, i));
        uint32_t oldBlock = old > 0 && old <= 4294967295.0 ? uint32_t(old) : 0;
        uint32_t block = memo_->write(oldBlock, utf8ToCp1252(v.text()));
        if (block == 0) {
            std::memset(dst, ' ', size_t(f.width));
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%*u", f.width, block);
            std::memcpy(dst, buf, size_t(f.width));
        }
        return;
    }
    default: {
        if (!v.isNil() && !v.isText()) wrongType();
        putText(dst, size_t(f.width), v.text());
        return;
    }
    }
}

} // namespace velt::data
