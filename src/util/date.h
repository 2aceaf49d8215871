#pragma once
// A calendar date as the program stores and shows it: a Julian day number,
// with 0 meaning the empty date (which sorts before every real date).
#include <cstdint>
#include <string>
#include <string_view>

namespace velt {

class Date {
public:
    Date() = default;                       // the empty date
    static Date fromJulian(int32_t jd) { Date d; d.jd_ = jd < 0 ? 0 : jd; return d; }
    // Returns the empty date when y/m/d is not a real calendar day.
    static Date fromYMD(int y, int m, int d);
    static bool validYMD(int y, int m, int d);

    bool isEmpty() const { return jd_ == 0; }
    int32_t julian() const { return jd_; }
    void ymd(int& y, int& m, int& d) const; // 0,0,0 for the empty date
    int year() const;
    int month() const;
    int day() const;
    int dow() const;                        // 1 = Sunday ... 7 = Saturday, 0 when empty

    Date addDays(int n) const { return isEmpty() ? *this : fromJulian(jd_ + n); }

    // "DD/MM/YY" (or "DD/MM/YYYY" with the century on); the empty date gives
    // blanks with the slashes in place.
    std::string toText(bool century = false) const;
    // Reads "DD/MM/YY" or "DD/MM/YYYY"; two-digit years use the century window
    // (80..99 -> 1980..1999, 00..79 -> 2000..2079 with the default epoch 1980).
    // Anything that is not a real date gives the empty date; `ok` tells a blank
    // text (ok = true) from a wrong one (ok = false).
    static Date fromText(std::string_view text, bool* ok = nullptr);
    // "YYYYMMDD", 8 blanks for the empty date (the stored form).
    std::string toDtos() const;
    static Date fromDtos(std::string_view s);

    // First year of the two-digit-year window; process-wide, 1980 by default.
    static int epoch();
    static void setEpoch(int year);

    friend bool operator==(Date a, Date b) { return a.jd_ == b.jd_; }
    friend auto operator<=>(Date a, Date b) { return a.jd_ <=> b.jd_; }

private:
    int32_t jd_ = 0;
};

} // namespace velt
