#include "orq_utils/DateTime.h"

#include "orq_utils/CLocale.h"

#include <cctype>
#include <ctime>
#include <tuple>
#include <vector>

namespace ORQ {

namespace {

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool FieldsInRange(int y, int mo, int d, int h, int mi, int s) {
    return y >= 100 && y <= 9999 && mo >= 1 && mo <= 12 && d >= 1 && d <= DaysInMonth(y, mo) &&
           h >= 0 && h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 59;
}

int DayOfYear(int y, int m, int d) {
    int n = d - 1;
    for (int i = 1; i < m; ++i)
        n += DaysInMonth(y, i);
    return n;
}

// 0 = Sunday (Sakamoto's method).
int DayOfWeek(int y, int m, int d) {
    static const int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3)
        y -= 1;
    return (y + y / 4 - y / 100 + y / 400 + kOffsets[m - 1] + d) % 7;
}

// Reads between minDigits and maxDigits decimal digits at text[pos].
bool ReadNumber(const std::string &text, size_t &pos, int minDigits, int maxDigits, int &out) {
    int digits = 0;
    int value = 0;
    while (digits < maxDigits && pos < text.size() &&
           std::isdigit(static_cast<unsigned char>(text[pos]))) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits < minDigits)
        return false;
    out = value;
    return true;
}

} // namespace

CDateTime::CDateTime(int year, int month, int day, int hour, int minute, int second) {
    SetDateTime(year, month, day, hour, minute, second);
}

CDateTime CDateTime::GetCurrentTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return CDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                     local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec);
}

bool CDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
    m_valid = FieldsInRange(year, month, day, hour, minute, second);
    if (m_valid) {
        m_year = year;
        m_month = month;
        m_day = day;
        m_hour = hour;
        m_minute = minute;
        m_second = second;
    }
    return m_valid;
}

bool CDateTime::Parse(const std::string &text, const char *format) {
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0;
    const size_t first = text.find_first_not_of(" \t\r\n");
    const size_t last = text.find_last_not_of(" \t\r\n");
    const std::string t =
        first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    bool ok = format != nullptr;
    size_t pos = 0;
    for (const char *f = format; ok && f && *f; ++f) {
        if (*f == '%') {
            ++f;
            switch (*f) {
            case 'Y':
                ok = ReadNumber(t, pos, 4, 4, y);
                break;
            case 'm':
                ok = ReadNumber(t, pos, 1, 2, mo);
                break;
            case 'd':
                ok = ReadNumber(t, pos, 1, 2, d);
                break;
            case 'H':
                ok = ReadNumber(t, pos, 1, 2, h);
                break;
            case 'M':
                ok = ReadNumber(t, pos, 1, 2, mi);
                break;
            case 'S':
                ok = ReadNumber(t, pos, 1, 2, s);
                break;
            case '%':
                ok = pos < t.size() && t[pos++] == '%';
                break;
            default:
                ok = false;
                break;
            }
        } else if (*f == ' ') {
            // One blank in the layout stands for any run of blanks.
            ok = pos < t.size() && t[pos] == ' ';
            while (pos < t.size() && t[pos] == ' ')
                ++pos;
        } else {
            ok = pos < t.size() && t[pos++] == *f;
        }
    }
    if (!ok || pos != t.size()) {
        m_valid = false;
        return false;
    }
    return SetDateTime(y, mo, d, h, mi, s);
}

bool CDateTime::ParseDateTime(const std::string &text) {
    static const char *const kForms[] = {"%Y-%m-%d %H:%M:%S", "%Y-%m-%d", "%H:%M:%S"};
    for (const char *form : kForms) {
        if (Parse(text, form))
            return true;
    }
    return false;
}

std::string CDateTime::Format(const char *format) const {
    if (!m_valid)
        return "Invalid DateTime";
    if (!format || !*format)
        return std::string();
    std::tm tm{};
    tm.tm_year = m_year - 1900;
    tm.tm_mon = m_month - 1;
    tm.tm_mday = m_day;
    tm.tm_hour = m_hour;
    tm.tm_min = m_minute;
    tm.tm_sec = m_second;
    tm.tm_yday = DayOfYear(m_year, m_month, m_day);
    tm.tm_wday = DayOfWeek(m_year, m_month, m_day);
    tm.tm_isdst = -1;
    CLocaleScope cLocale;
    // strftime gives 0 both for "too small" and for an empty result; grow a few times, then
    // take the result as empty.
    for (size_t size = 64; size <= 65536; size *= 4) {
        std::vector<char> buffer(size);
        const size_t n = std::strftime(buffer.data(), buffer.size(), format, &tm);
        if (n > 0)
            return std::string(buffer.data(), n);
    }
    return std::string();
}

bool CDateTime::operator==(const CDateTime &o) const {
    return std::tie(m_year, m_month, m_day, m_hour, m_minute, m_second) ==
           std::tie(o.m_year, o.m_month, o.m_day, o.m_hour, o.m_minute, o.m_second);
}

bool CDateTime::operator<(const CDateTime &o) const {
    return std::tie(m_year, m_month, m_day, m_hour, m_minute, m_second) <
           std::tie(o.m_year, o.m_month, o.m_day, o.m_hour, o.m_minute, o.m_second);
}

} // namespace ORQ
