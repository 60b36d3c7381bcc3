#pragma once

#include "orq_utils/OrqExport.h"

#include <string>

namespace ORQ {

// A calendar date and time of day (whole seconds) with a valid flag. Default: 1899-12-30
// 00:00:00 and valid, the zero point of the day counts that project files were once made with.
class ORQ_UTILS_API CDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1 };

    CDateTime() = default;
    // Invalid when a field is out of range (years 100 to 9999, real calendar days).
    CDateTime(int year, int month, int day, int hour, int minute, int second);

    // The current local date and time.
    static CDateTime GetCurrentTime();

    // Sets all fields; false (and invalid) when a field is out of range.
    bool SetDateTime(int year, int month, int day, int hour, int minute, int second);

    DateTimeStatus GetStatus() const { return m_valid ? valid : invalid; }
    void SetStatus(DateTimeStatus status) { m_valid = status == valid; }
    bool IsValid() const { return m_valid; }

    // Reads text laid out exactly as format: %Y (four digits), %m %d %H %M %S (one or two
    // digits), %% and literal characters; surrounding blanks are ignored. A missing date part
    // stays 1899-12-30, a missing time part 00:00:00. On failure the value becomes invalid and
    // false is returned.
    bool Parse(const std::string &text, const char *format);
    // Reads "YYYY-MM-DD HH:MM:SS", "YYYY-MM-DD" or "HH:MM:SS", the forms this system writes.
    bool ParseDateTime(const std::string &text);

    // strftime-style text in the "C" locale (e.g. "%Y-%m-%d", "%H:%M:%S"); "Invalid DateTime"
    // for an invalid value.
    std::string Format(const char *format) const;

    int GetYear() const { return m_year; }
    int GetMonth() const { return m_month; }
    int GetDay() const { return m_day; }
    int GetHour() const { return m_hour; }
    int GetMinute() const { return m_minute; }
    int GetSecond() const { return m_second; }

    // Order of the moments; valid flags are not compared.
    bool operator==(const CDateTime &other) const;
    bool operator!=(const CDateTime &other) const { return !(*this == other); }
    bool operator<(const CDateTime &other) const;
    bool operator>(const CDateTime &other) const { return other < *this; }

private:
    int m_year = 1899;
    int m_month = 12;
    int m_day = 30;
    int m_hour = 0;
    int m_minute = 0;
    int m_second = 0;
    bool m_valid = true;
};

} // namespace ORQ
