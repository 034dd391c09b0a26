// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Report.h"

#include "Csv.h"
#include "ModulDos.h"
#include "Text.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <utility>

namespace {

std::string Format(const char* format, double value, int decimals = 0) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, decimals, value);
    return buffer;
}

std::string Localised(std::string text, ReportLanguage language) {
    return language == ReportLanguage::German ? kit::WithDecimalComma(std::move(text)) : text;
}

// Four significant digits, for a value without an uncertainty.
std::string Significant(double value, int unitPower, ReportLanguage language) {
    const double shown = value / std::pow(10.0, unitPower);
    const int digits = std::fabs(shown) >= 1.0 ? static_cast<int>(std::floor(std::log10(std::fabs(shown)))) + 1 : 1;
    return Localised(Format("%.*f", shown, std::max(0, 4 - digits)), language);
}

std::string Flags(const TimingFit& fit) {
    std::string words;
    for (int flag = 0; flag < FlagCount; ++flag) {
        if (!(fit.flagBits & (1u << flag))) continue;
        if (!words.empty()) words += ' ';
        words += FlagWord(static_cast<Flag>(flag));
    }
    return words;
}

nlohmann::json Number(double value) { return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(nullptr); }

// A JSON string: quotes, backslashes and control bytes escaped; bytes that are not UTF-8 (a file name from
// the command line can hold any) become U+FFFD.
void AppendJsonString(std::string& text, const std::string& value) {
    const std::string utf8 = kit::IsUtf8(value) ? value : Cp1252ToUtf8(value);
    text += '"';
    for (const char c : utf8) {
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            text += escape;
        } else {
            text += c;
        }
    }
    text += '"';
}

// The shortest text that reads back as the same double; null for NaN and infinities.
void AppendJsonNumber(std::string& text, double value) {
    if (!std::isfinite(value)) {
        text += "null";
        return;
    }
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, written.ptr);
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

struct Words {
    const char* timings;
    const char* read;
    const char* used;
    const char* rejected;
    const char* au;
    const char* millionKm;
    const char* parallax;
    const char* noErrorBar;
    const char* unbounded;
    const char* uncertainty;
    const char* formal;
    const char* dof;
    const char* bootstrap;
    const char* jackknife;
    const char* noResampling;
    const char* coefficients;
    const char* clockOffsets;
    const char* contactHeader;
    const char* duration;
    const char* timingHeader;
    const char* without;
    const char* notDetermined;
};

const Words English = {
    "Timings", "read", "used", "rejected", "Astronomical Unit", "million km", "Solar parallax",
    "no error bar: there are as many unknowns as timings",
    "the data do not bound the AU: its uncertainty reaches an infinite distance",
    "Uncertainty", "formal", "degrees of freedom", "bootstrap over observers", "jackknife by observer",
    "no resampling", "Coefficients", "Clock offsets", "Contact  Reference (UT)   rms O-C (s)  Timings",
    "duration", "Timing                 Observer              Contact    O-C (s)  Flags", "AU without observer",
    "not determined"};

const Words German = {
    "Zeiten", "gelesen", "verwendet", "verworfen", "Astronomische Einheit", "Mio. km", "Sonnenparallaxe",
    "kein Fehlerbalken: so viele Unbekannte wie Zeiten",
    "die Daten begrenzen die AE nicht: ihre Unsicherheit reicht bis ins Unendliche",
    "Unsicherheit", "formal", "Freiheitsgrade", "Bootstrap \xC3\xBC" "ber Beobachter", "Jackknife nach Beobachter",
    "keine Wiederholungsstichprobe", "Koeffizienten", "Uhrfehler", "Kontakt  Bezug (UT)       rms B-R (s)  Zeiten",
    "Dauer", "Zeit                   Beobachter            Kontakt    B-R (s)  Kennzeichen", "AE ohne Beobachter",
    "nicht bestimmt"};

std::string Padded(std::string text, std::size_t width) {
    // Width in characters, not bytes: UTF-8 continuation bytes take no column.
    std::size_t columns = 0;
    for (const char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (columns < width) text.append(width - columns, ' ');
    return text;
}

}  // namespace

std::string RoundToUncertainty(double value, double sigma, int unitPower, ReportLanguage language) {
    if (!std::isfinite(sigma) || !(sigma > 0.0)) return Significant(value, unitPower, language);
    int place = static_cast<int>(std::floor(std::log10(sigma)));
    // 0.12 keeps two digits: one would round it by up to 40 %.
    if (std::floor(sigma / std::pow(10.0, place)) < 2.0) --place;
    const double step = std::pow(10.0, place);
    const double roundedValue = std::round(value / step) * step;
    const double roundedSigma = std::round(sigma / step) * step;
    const int decimals = std::max(0, unitPower - place);
    const double unit = std::pow(10.0, unitPower);
    return Localised(Format("%.*f", roundedValue / unit, decimals) + " \xC2\xB1 " + Format("%.*f", roundedSigma / unit, decimals),
                     language);
}

std::string FormatUt(double seconds) {
    const double tenths = std::round(seconds * 10.0);
    const auto whole = static_cast<long long>(tenths);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld.%lld", whole / 36000 % 24,
                  whole / 600 % 60, whole / 10 % 60, whole % 10);
    return buffer;
}

void WriteTextReport(const Campaign& campaign, const TransitChoice& choice, const FitResult& result,
                     const FitOptions& options, ReportLanguage language, std::ostream& out) {
    const Words& w = language == ReportLanguage::German ? German : English;
    const bool german = language == ReportLanguage::German;
    std::ostringstream text;
    text << (german ? choice.titleGerman : choice.titleEnglish) << '\n';
    text << w.timings << ": " << result.read << ' ' << w.read << ", " << result.used << ' ' << w.used << ", "
         << result.rejected << ' ' << w.rejected << '\n';
    const double sigma = result.auSigmaKm;
    if (!result.bounded) {
        text << w.au << ": " << w.unbounded;
        // With q = 0 there is no distance to show, only that none is bounded.
        if (!std::isnan(result.auKm)) {
            text << " (" << Significant(result.auKm, 6, language) << ' ' << w.millionKm << " \xC2\xB1 "
                 << Significant(sigma, 6, language) << ')';
        }
        text << '\n';
    } else if (std::isnan(sigma)) {
        text << w.au << ": " << Significant(result.auKm, 6, language) << ' ' << w.millionKm << " ("
             << Significant(result.auKm, 0, language) << " km; " << w.noErrorBar << ")\n";
        text << w.parallax << ": " << Localised(Format("%.*f", result.parallaxArcsec, 3), language) << "\xE2\x80\xB3\n";
    } else {
        text << w.au << ": " << RoundToUncertainty(result.auKm, sigma, 6, language) << ' ' << w.millionKm << " ("
             << RoundToUncertainty(result.auKm, sigma, 0, language) << " km)\n";
        text << w.parallax << ": " << RoundToUncertainty(result.parallaxArcsec, result.parallaxSigmaArcsec, 0, language)
             << "\xE2\x80\xB3\n";
    }
    text << w.uncertainty << ": " << w.formal << ' ';
    if (std::isnan(result.auSigmaFormalKm)) text << "-";
    else text << Localised(Format("%.*f", result.auSigmaFormalKm * 1e-6, 3), language) << ' ' << w.millionKm;
    text << " (" << result.degreesOfFreedom << ' ' << w.dof << "); ";
    if (result.resampling.method == "bootstrap") text << w.bootstrap << " (" << result.resampling.runs << ")";
    else if (result.resampling.method == "jackknife") text << w.jackknife << " (" << result.resampling.runs << ")";
    else text << w.noResampling;
    if (!result.resampling.method.empty()) {
        text << ' ';
        if (std::isnan(result.auSigmaResampledKm)) text << "-";
        else text << Localised(Format("%.*f", result.auSigmaResampledKm * 1e-6, 3), language) << ' ' << w.millionKm;
    }
    text << '\n' << w.coefficients << ": " << (german ? choice.coefficients.nameGerman : choice.coefficients.name) << '\n';
    if (std::isfinite(result.modelBias)) {
        const std::string exactAu = Localised(Format("%.*f", ReferenceAuKm * (1.0 + result.modelBias) * 1e-6, 1), language);
        const std::string referenceAu = Localised(Format("%.*f", ReferenceAuKm * 1e-6, 1), language);
        const std::string percent = Localised(Format("%.*f", std::fabs(result.modelBias) * 100.0, 2), language);
        const bool high = result.modelBias > 0.0;
        if (german) {
            text << "Lineares Ortsmodell: die exakten Kontakte an diesen Orten ergeben " << exactAu << " statt "
                 << referenceAu << " Mio. km; die AE oben kann deshalb um " << percent << " % zu "
                 << (high ? "hoch" : "niedrig") << " sein (nicht in der Unsicherheit).\n";
        } else {
            text << "Linear site model: the exact contacts at these sites give " << exactAu << " million km for "
                 << referenceAu << "; the AU above may be " << percent << " % too " << (high ? "high" : "low")
                 << " for that reason (not in the uncertainty).\n";
        }
    }
    if (choice.planet == "mercury") {
        // Mercury is twice as far from the Earth at transit as Venus: its contacts hardly move between sites.
        double reach = 0.0;
        for (const auto& a : choice.coefficients.secondsPerUnit) {
            reach = std::fmax(reach, std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]));
        }
        char note[200];
        std::snprintf(note, sizeof note,
                      german ? "Die Kontakte Merkurs verschieben sich zwischen Orten um h\xC3\xB6" "chstens %.0f s (Venus: "
                               "etwa 400 s): seine AE ist weit ungenauer.\n"
                             : "Mercury's contacts move by at most %.0f s between sites (Venus's by about 400 s): its AU "
                               "is far less precise.\n",
                      reach);
        text << note;
    }
    for (const auto& [observer, au] : result.resampling.withoutObserver) {
        text << "  " << w.without << ' ' << campaign.observers[static_cast<std::size_t>(observer)] << ": "
             << (std::isnan(au) ? std::string(w.notDetermined) : Significant(au, 6, language) + " " + w.millionKm) << '\n';
    }
    if (options.clockOffsets) {
        text << w.clockOffsets << ':';
        for (std::size_t j = 0; j < result.clockOffsetsS.size(); ++j) {
            if (std::isnan(result.clockOffsetsS[j])) continue;
            text << ' ' << campaign.observers[j] << ' ' << Localised(Format("%+.*f", result.clockOffsetsS[j], 1), language) << " s;";
        }
        text << '\n';
    }
    text << '\n' << w.contactHeader << '\n';
    for (const ContactFit& c : result.contacts) {
        const std::string reference = c.end == 0 ? FormatUt(c.referenceS) : FormatUt(c.referenceS) + " " + w.duration;
        text << Padded(ContactName(c.start, c.end), 9) << Padded(reference, 18)
             << Localised(Format("%*.1f", c.rmsS, 11), language) << Format("%*.0f", static_cast<double>(c.used), 9) << '\n';
    }
    text << '\n' << w.timingHeader << '\n';
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        const TimingFit& fit = result.timings[i];
        const std::string where = campaign.files[static_cast<std::size_t>(t.file)] + ":" + std::to_string(t.line);
        text << Padded(where, 22) << ' ' << Padded(campaign.observers[static_cast<std::size_t>(t.observer)].substr(0, 21), 22)
             << Padded(ContactName(t.start, t.end), 7)
             << (std::isnan(fit.oMinusCS) ? std::string("          -") : Localised(Format("%+*.1f", fit.oMinusCS, 11), language))
             << "  " << Flags(fit) << '\n';
        for (const Reason& reason : fit.reasons) text << "    " << (german ? reason.german : reason.english) << '\n';
    }
    out << text.str();
}

void WriteJsonReport(const Campaign& campaign, const TransitChoice& choice, const FitResult& result,
                     const FitOptions& options, std::ostream& out) {
    nlohmann::json report;
    report["au_km"] = Number(result.auKm);
    report["au_sigma_km"] = Number(result.auSigmaKm);
    report["au_sigma_formal_km"] = Number(result.auSigmaFormalKm);
    report["au_sigma_resampled_km"] = Number(result.auSigmaResampledKm);
    report["au_bounded"] = result.bounded;
    report["parallax_arcsec"] = Number(result.parallaxArcsec);
    report["parallax_sigma_arcsec"] = Number(result.parallaxSigmaArcsec);
    report["scale_q"] = Number(result.q);
    report["degrees_of_freedom"] = result.degreesOfFreedom;
    report["resampling"] = {{"method", result.resampling.method.empty() ? nlohmann::json(nullptr) : nlohmann::json(result.resampling.method)},
                            {"runs", result.resampling.runs},
                            {"failed", result.resampling.failed},
                            {"seed", options.seed}};
    nlohmann::json without = nlohmann::json::array();
    for (const auto& [observer, au] : result.resampling.withoutObserver) {
        without.push_back({{"observer", campaign.observers[static_cast<std::size_t>(observer)]}, {"au_km", Number(au)}});
    }
    report["au_without_observer"] = without;
    report["coefficients"] = choice.coefficients.name;
    report["model_bias_fraction"] = Number(result.modelBias);
    report["transit"] = {{"planet", choice.planet},
                         {"date", choice.date},
                         {"coefficients", choice.table ? "table" : "ephemeris"},
                         {"delta_t_s", choice.transit.deltaTSeconds}};
    report["clock_offsets"] = options.clockOffsets;
    report["timings_read"] = result.read;
    report["timings_used"] = result.used;
    report["timings_rejected"] = result.rejected;
    nlohmann::json contacts = nlohmann::json::array();
    for (const ContactFit& c : result.contacts) {
        contacts.push_back({{"contact", ContactName(c.start, c.end)},
                            {"reference_ut", c.end == 0 ? nlohmann::json(FormatUt(c.referenceS)) : nlohmann::json(nullptr)},
                            {"reference_s", Number(c.referenceS)},
                            {"rms_s", Number(c.rmsS)},
                            {"timings", c.used}});
    }
    report["contacts"] = contacts;
    nlohmann::json offsets = nlohmann::json::array();
    for (std::size_t j = 0; j < result.clockOffsetsS.size(); ++j) {
        if (!std::isnan(result.clockOffsetsS[j])) offsets.push_back({{"observer", campaign.observers[j]}, {"offset_s", result.clockOffsetsS[j]}});
    }
    report["clock_offsets_s"] = offsets;
    // The timings, a million of them in a large campaign, are written as they go, one object a line;
    // the rest of the report is small and goes through the JSON library.
    std::string head = report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    head.erase(head.size() - 2);  // the closing "\n}"
    std::string text = head + ",\n  \"timings\": [";
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        const TimingFit& fit = result.timings[i];
        text += i == 0 ? "\n    {\"file\": " : ",\n    {\"file\": ";
        AppendJsonString(text, campaign.files[static_cast<std::size_t>(t.file)]);
        text += ", \"line\": " + std::to_string(t.line) + ", \"observer\": ";
        AppendJsonString(text, campaign.observers[static_cast<std::size_t>(t.observer)]);
        text += ", \"site\": ";
        AppendJsonString(text, t.site);
        text += ", \"latitude\": ";
        AppendJsonNumber(text, t.latitudeDegrees);
        text += ", \"longitude\": ";
        AppendJsonNumber(text, t.longitudeDegrees);
        text += ", \"contact\": \"" + ContactName(t.start, t.end) + "\", \"used\": " + (fit.used ? "true" : "false");
        text += ", \"o_minus_c_s\": ";
        AppendJsonNumber(text, fit.oMinusCS);
        text += ", \"lever_s\": ";
        AppendJsonNumber(text, fit.leverS);
        text += ", \"flags\": [";
        bool first = true;
        for (int flag = 0; flag < FlagCount; ++flag) {
            if (!(fit.flagBits & (1u << flag))) continue;
            text += first ? "\"" : ", \"";
            text += FlagWord(static_cast<Flag>(flag));
            text += '"';
            first = false;
        }
        text += "], \"reasons\": [";
        for (std::size_t k = 0; k < fit.reasons.size(); ++k) {
            if (k > 0) text += ", ";
            AppendJsonString(text, fit.reasons[k].english);
        }
        text += "]}";
        if (text.size() > (1u << 16)) {
            out << text;
            text.clear();
        }
    }
    text += campaign.timings.empty() ? "]\n}\n" : "\n  ]\n}\n";
    out << text;
}

void WriteCsvReport(const Campaign& campaign, const FitResult& result, std::ostream& out) {
    std::ostringstream text;
    text << "file,line,observer,site,contact,used,o_minus_c_s,lever_s,flags,reasons\n";
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        const TimingFit& fit = result.timings[i];
        std::string reasons;
        for (const Reason& reason : fit.reasons) {
            if (!reasons.empty()) reasons += "; ";
            reasons += reason.english;
        }
        text << CsvField(campaign.files[static_cast<std::size_t>(t.file)]) << ',' << t.line << ','
             << CsvField(campaign.observers[static_cast<std::size_t>(t.observer)]) << ',' << CsvField(t.site) << ','
             << ContactName(t.start, t.end) << ',' << (fit.used ? "true" : "false") << ','
             << (std::isnan(fit.oMinusCS) ? std::string() : Format("%.*f", fit.oMinusCS, 3)) << ','
             << Format("%.*f", fit.leverS, 3) << ',' << Flags(fit) << ',' << CsvField(reasons) << '\n';
    }
    out << text.str();
}
