// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Fields.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace fields {
namespace {


bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with at most one decimal mark and an optional exponent, nothing else: the grammar is checked
// here so that from_chars never sees "inf", "nan" or hexadecimal.
bool IsPlainDecimal(std::string_view text) {
    std::size_t i = 0, digits = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i) ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == text.size();
}

bool StartsWith(const std::string& text, std::size_t at, const char* what) {
    return text.compare(at, std::char_traits<char>::length(what), what) == 0;
}

// One number of an angle and the unit its mark gives it: 0 degrees, 1 minutes, 2 seconds; -1 when no
// mark follows it (a space or a colon), so that its place decides.
struct AnglePart {
    std::string number;
    int unit = -1;
};

// Splits an angle's text into its numbers and their marks; the separators are what people write between
// degrees, minutes and seconds. false on any other character, or on a mark with no number before it.
bool SplitAngle(const std::string& text, std::vector<AnglePart>& parts, bool decimalComma) {
    static const struct {
        const char* text;
        int unit;
    } Separators[] = {{"\xC2\xB0", 0}, {"\xC2\xBA", 0}, {"\xE2\x80\xB2", 1}, {"'", 1}, {"\xE2\x80\xB3", 2},
                      {"\"", 2},        {":", -1},        {" ", -1},             {"\t", -1}};
    parts.assign(1, AnglePart{});
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (IsDigit(c) || c == '.' || (decimalComma && c == ',')) {
            parts.back().number += c == ',' ? '.' : c;
            ++i;
            continue;
        }
        int unit = -2;
        for (const auto& s : Separators) {
            if (StartsWith(text, i, s.text)) {
                i += std::char_traits<char>::length(s.text);
                unit = s.unit;
                break;
            }
        }
        if (unit == -2) return false;
        if (parts.back().number.empty()) {
            if (unit >= 0) return false;
            continue;
        }
        parts.back().unit = unit;
        parts.emplace_back();
    }
    if (parts.back().number.empty()) parts.pop_back();
    return !parts.empty();
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string_view TrimmedView(std::string_view text) {
    // Byte by byte: the library's search for one of a set asks it of each byte in turn, and the reader
    // trims every field of a million rows.
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t first = 0, last = text.size();
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::string Trim(const std::string& text) { return std::string(TrimmedView(text)); }

bool ParseNumber(const std::string& text, NumberStyle style, double& value) {
    std::string_view t = TrimmedView(text);
    // A decimal comma is read as a point: only then is the number copied.
    std::string pointed;
    if (style.decimalComma && t.find(',') != std::string_view::npos) {
        pointed = t;
        for (char& c : pointed) {
            if (c == ',') c = '.';
        }
        t = pointed;
    }
    if (!IsPlainDecimal(t)) return false;
    const char* first = t.data() + (t[0] == '+' ? 1 : 0);
    double parsed = 0.0;
    const auto [end, error] = std::from_chars(first, t.data() + t.size(), parsed);
    if (error != std::errc() || end != t.data() + t.size() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

bool ParseAngle(const std::string& text, const char* letters, NumberStyle style, double& degrees, std::string& why) {
    std::string t = Trim(text);
    why.clear();
    if (t.empty()) {
        why = "is empty";
        return false;
    }
    int sign = 0;
    // A hemisphere letter at either end; German maps write O (Ost) for east.
    auto takeLetter = [&](char c) {
        const char u = Upper(c) == 'O' ? 'E' : Upper(c);
        if (u == letters[0]) return sign = 1, true;
        if (u == letters[1]) return sign = -1, true;
        return false;
    };
    if (!t.empty() && takeLetter(t.back())) t = Trim(t.substr(0, t.size() - 1));
    else if (!t.empty() && takeLetter(t.front())) t = Trim(t.substr(1));
    if (sign == 0) {
        const char last = Upper(t.back()) == 'O' ? 'E' : Upper(t.back());
        if (last == 'N' || last == 'S' || last == 'E' || last == 'W') {
            why = std::string("has the letter ") + t.back() + ", which does not belong to this coordinate";
            return false;
        }
    }
    int written = 1;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        if (sign != 0) {
            why = "has both a sign and a hemisphere letter";
            return false;
        }
        written = t[0] == '-' ? -1 : 1;
        t = Trim(t.substr(1));
    }
    std::vector<AnglePart> parts;
    double value = 0.0;
    if (ParseNumber(t, style, value) && value >= 0) {
        parts.clear();
    } else if (!SplitAngle(t, parts, style.decimalComma) || parts.size() > 3) {
        why = "is not an angle (write 51.47, 51.47N or 49 13 09 N)";
        return false;
    } else {
        const double scale[3] = {1.0, 60.0, 3600.0};
        value = 0.0;
        int previous = -1;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            // A mark names its unit (10' is ten minutes; 10 degrees and 30" has no minutes); a number without one
            // takes the place after the one before it.
            const int unit = parts[i].unit >= 0 ? parts[i].unit : previous + 1;
            if (unit <= previous || unit > 2) {
                why = "cannot be read one way only: its marks give one unit twice or out of order";
                return false;
            }
            double part = 0.0;
            if (!ParseNumber(parts[i].number, NumberStyle{}, part)) {
                why = "is not an angle (write 51.47, 51.47N or 49 13 09 N)";
                return false;
            }
            // Only the last part may have a fraction, and minutes and seconds stay below 60.
            const bool fraction = parts[i].number.find('.') != std::string::npos;
            if ((fraction && i + 1 < parts.size()) || (i > 0 && part >= 60.0)) {
                why = "has minutes or seconds out of order (degrees, then minutes and seconds below 60)";
                return false;
            }
            value += part / scale[unit];
            previous = unit;
        }
    }
    degrees = value * (sign != 0 ? sign : written);
    return true;
}

bool ParseTimeOfDay(const std::string& text, NumberStyle style, double& seconds) {
    const std::string t = Trim(text);
    std::size_t i = 0;
    long fields[3] = {0, 0, 0};
    for (int f = 0; f < 3; ++f) {
        std::size_t digits = 0;
        long value = 0;
        for (; i < t.size() && IsDigit(t[i]) && digits < 2; ++i, ++digits) value = value * 10 + (t[i] - '0');
        if (digits == 0 || (f > 0 && digits != 2)) return false;
        fields[f] = value;
        if (f < 2) {
            if (i >= t.size() || t[i] != ':') return false;
            ++i;
        }
    }
    double fraction = 0.0;
    if (i < t.size() && (t[i] == '.' || (style.decimalComma && t[i] == ','))) {
        std::string digits = "0.";
        for (++i; i < t.size() && IsDigit(t[i]); ++i) digits += t[i];
        if (digits.size() == 2 || digits.size() > 12) return false;
        ParseNumber(digits, NumberStyle{}, fraction);
    }
    if (i != t.size() || fields[0] > 47 || fields[1] > 59 || fields[2] > 59) return false;
    seconds = static_cast<double>(fields[0] * 3600 + fields[1] * 60 + fields[2]) + fraction;
    return true;
}

bool ParseClockTime(const std::string& text, NumberStyle style, double& seconds, TimePrecision& precision) {
    const std::string_view t = TrimmedView(text);
    std::size_t i = 0;
    // digits: 1 or 2 for the hours and, in the letter form, for minutes and seconds; exactly 2 otherwise.
    auto number = [&](bool loose, long& value) {
        std::size_t digits = 0;
        value = 0;
        for (; i < t.size() && IsDigit(t[i]) && digits < 2; ++i, ++digits) value = value * 10 + (t[i] - '0');
        return digits == 2 || (loose && digits == 1);
    };
    auto spaces = [&] {
        const std::size_t from = i;
        while (i < t.size() && t[i] == ' ') ++i;
        return i > from;
    };
    long hours = 0, minutes = 0, whole = 0;
    if (!number(true, hours) || i >= t.size()) return false;
    // The form is told by what follows the hours: a colon, a letter h, or spaces.
    const char form = t[i] == ':' ? ':' : t[i] == 'h' ? 'h' : t[i] == ' ' ? ' ' : '\0';
    if (form == '\0') return false;
    const bool letters = form == 'h';
    if (form == ' ') spaces();
    else ++i;
    if (letters) spaces();
    if (!number(letters, minutes)) return false;
    if (letters && i < t.size() && t[i] == 'm') ++i;
    // What follows the minutes, if anything, is the seconds: after a colon, after spaces, or after the m.
    bool secondsFollow = false;
    if (form == ':' && i < t.size() && t[i] == ':') secondsFollow = true, ++i;
    else if (form == ' ' && spaces()) secondsFollow = true;
    else if (letters && (spaces(), i < t.size())) secondsFollow = true;
    double fraction = 0.0;
    precision = TimePrecision::Minutes;
    if (secondsFollow) {
        if (!number(letters, whole)) return false;
        if (i < t.size() && (t[i] == '.' || (style.decimalComma && t[i] == ','))) {
            std::string digits = "0.";
            for (++i; i < t.size() && IsDigit(t[i]); ++i) digits += t[i];
            if (digits.size() == 2 || digits.size() > 12) return false;
            ParseNumber(digits, NumberStyle{}, fraction);
        }
        if (letters && i < t.size() && t[i] == 's') ++i;
        precision = TimePrecision::Seconds;
    }
    if (i != t.size() || hours > 47 || minutes > 59 || whole > 59) return false;
    seconds = static_cast<double>(hours * 3600 + minutes * 60 + whole) + fraction;
    return true;
}

bool ParseContact(const std::string& text, int& start, int& end) {
    const std::string_view t = TrimmedView(text);
    auto contact = [](char c) { return c >= '1' && c <= '4' ? c - '0' : 0; };
    if (t.size() == 1 && contact(t[0]) != 0) {
        start = contact(t[0]);
        end = 0;
        return true;
    }
    if (t.size() == 3 && t[1] == '-' && contact(t[0]) != 0 && contact(t[2]) != 0 && t[0] < t[2]) {
        start = contact(t[0]);
        end = contact(t[2]);
        return true;
    }
    return false;
}

bool IsCalendarDate(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1) return false;
    constexpr int DaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= DaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool ParseDate(const std::string& text, int& year, int& month, int& day, std::string& why) {
    why.clear();
    if (ParseDate(text, year, month, day)) return true;
    const std::string t = Trim(text);
    // Day, month and year of one or two, one or two and four digits, apart by the one mark.
    auto parts = [&t](char mark, int (&value)[3]) {
        std::size_t i = 0;
        for (int k = 0; k < 3; ++k) {
            std::size_t digits = 0;
            value[k] = 0;
            for (; i < t.size() && t[i] >= '0' && t[i] <= '9' && digits < 4; ++i, ++digits) value[k] = value[k] * 10 + (t[i] - '0');
            if (k < 2 ? digits < 1 || digits > 2 : digits != 4) return false;
            if (k < 2) {
                if (i >= t.size() || t[i] != mark) return false;
                ++i;
            }
        }
        return i == t.size();
    };
    int v[3];
    if (parts('.', v) && IsCalendarDate(v[2], v[1], v[0])) {
        year = v[2], month = v[1], day = v[0];
        return true;
    }
    if (!parts('/', v)) return false;
    const bool dayFirst = IsCalendarDate(v[2], v[1], v[0]), monthFirst = IsCalendarDate(v[2], v[0], v[1]);
    if (dayFirst && monthFirst && v[0] != v[1]) {
        why = "reads two ways (day or month first): write it as YYYY-MM-DD";
        return false;
    }
    if (!dayFirst && !monthFirst) return false;
    year = v[2], month = dayFirst ? v[1] : v[0], day = dayFirst ? v[0] : v[1];
    return true;
}

bool ParseDate(const std::string& text, int& year, int& month, int& day) {
    const std::string t = Trim(text);
    auto number = [&](std::size_t at, std::size_t length, int& value) {
        if (at + length > t.size()) return false;
        value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            if (t[i] < '0' || t[i] > '9') return false;
            value = value * 10 + (t[i] - '0');
        }
        return true;
    };
    int y = 0, m = 0, d = 0;
    const bool iso = t.size() == 10 && t[4] == '-' && t[7] == '-' && number(0, 4, y) && number(5, 2, m) && number(8, 2, d);
    const bool german = t.size() == 10 && t[2] == '.' && t[5] == '.' && number(0, 2, d) && number(3, 2, m) && number(6, 4, y);
    if (!(iso || german) || !IsCalendarDate(y, m, d)) return false;
    year = y, month = m, day = d;
    return true;
}

}  // namespace fields
