#include "util/date.h"

#include <atomic>
#include <cctype>
#include <cstdio>

namespace velt {
namespace {
std::atomic<int> g_epoch{1980};

int32_t toJulian(int y, int m, int d)
{
    // Fliegel & Van Flandern, proleptic Gregorian calendar.
    int a = (14 - m) / 12;
    int yy = y + 4800 - a;
    int mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
} // namespace

bool Date::validYMD(int y, int m, int d)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    int dim = days[m - 1] + (m == 2 && leap(y) ? 1 : 0);
    return d <= dim;
}

Date Date::fromYMD(int y, int m, int d)
{
    if (!validYMD(y, m, d)) return Date();
    return fromJulian(toJulian(y, m, d));
}

void Date::ymd(int& y, int& m, int& d) const
{
    if (jd_ == 0) { y = m = d = 0; return; }
    int a = jd_ + 32044;
    int b = (4 * a + 3) / 146097;
    int c = a - 146097 * b / 4;
    int dd = (4 * c + 3) / 1461;
    int e = c - 1461 * dd / 4;
    int mm = (5 * e + 2) / 153;
    d = e - (153 * mm + 2) / 5 + 1;
    m = mm + 3 - 12 * (mm / 10);
    y = 100 * b + dd - 4800 + mm / 10;
}

int Date::year() const { int y, m, d; ymd(y, m, d); return y; }
int Date::month() const { int y, m, d; ymd(y, m, d); return m; }
int Date::day() const { int y, m, d; ymd(y, m, d); return d; }
int Date::dow() const { return jd_ == 0 ? 0 : int((jd_ + 1) % 7) + 1; }

std::string Date::toText(bool century) const
{
    if (jd_ == 0) return century ? "  /  /    " : "  /  /  ";
    int y, m, d;
    ymd(y, m, d);
    char buf[16];
    if (century)
        std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d, m, y);
    else
        std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", d, m, y % 100);
    return buf;
}

Date Date::fromText(std::string_view text, bool* ok)
{
    int parts[3] = {0, 0, 0};
    int lens[3] = {0, 0, 0};
    int idx = 0;
    bool anyDigit = false;
    bool bad = false;
    for (char ch : text) {
        if (ch == '/' || ch == '.' || ch == '-') {
            if (++idx > 2) { bad = true; break; }
        } else if (std::isdigit(static_cast<unsigned char>(ch))) {
            parts[idx] = parts[idx] * 10 + (ch - '0');
            if (++lens[idx] > 4) { bad = true; break; }
            anyDigit = true;
        } else if (ch != ' ') {
            bad = true;
            break;
        }
    }
    if (!anyDigit && !bad) { if (ok) *ok = true; return Date(); }
    if (bad || lens[0] == 0 || lens[1] == 0 || lens[2] == 0) { if (ok) *ok = false; return Date(); }
    int y = parts[2];
    if (lens[2] <= 2) {
        int ep = epoch();
        int century = ep / 100 * 100;
        y += century;
        if (y < ep) y += 100;
    }
    Date r = fromYMD(y, parts[1], parts[0]);
    if (ok) *ok = !r.isEmpty();
    return r;
}

std::string Date::toDtos() const
{
    if (jd_ == 0) return "        ";
    int y, m, d;
    ymd(y, m, d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

Date Date::fromDtos(std::string_view s)
{
    if (s.size() < 8) return Date();
    int v[8];
    for (int i = 0; i < 8; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return Date();
        v[i] = s[i] - '0';
    }
    int y = v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3];
    int m = v[4] * 10 + v[5];
    int d = v[6] * 10 + v[7];
    return fromYMD(y, m, d);
}

int Date::epoch() { return g_epoch.load(); }
void Date::setEpoch(int year) { g_epoch.store(year); }

} // namespace velt
