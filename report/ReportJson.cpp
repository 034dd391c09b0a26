// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "Format.h"
#include "ModulDos.h"
#include "Pieces.h"
#include "Spool.h"
#include "Words.h"

namespace report {

using namespace campaign;
using namespace fitting;

namespace {

using namespace std::string_view_literals;

template <typename Json = nlohmann::json>
Json Number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

// The timings, a million in a large campaign, are written as text directly, byte for byte as the JSON
// library writes each compactly: building a value of the library for each costs more than the fit.

// A string as the library writes it: quoted, escaped, bytes that are not UTF-8 replaced. Printable ASCII
// without quotes or backslashes, nearly every name, stands as it is; anything else goes through the library.
std::string JsonString(const std::string& value) {
    bool plain = true;
    for (const char c : value) plain = plain && c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
    if (plain) return "\"" + value + "\"";
    return nlohmann::json(value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Text laid out in place: room is made ahead and each part copied into it. The library's append is a call of
// its own for each of a timing's two dozen parts, a million timings' worth.
struct Cursor {
    std::string& text;
    std::size_t used = 0;  // bytes laid out; text beyond them is room
};

// Inlined wherever a part is put, so that a part of known length is copied as such.
[[gnu::always_inline]] inline void Put(Cursor& at, std::string_view part) {
    if (at.text.size() - at.used < part.size()) at.text.resize(std::max(2 * at.text.size(), at.used + part.size()));
    std::memcpy(at.text.data() + at.used, part.data(), part.size());
    at.used += part.size();
}

// A number as the library writes it: its own shortest digits that read back the same, null where not finite.
std::string_view NumberText(double value, char (&digits)[64]) {
    if (!std::isfinite(value)) return "null"sv;
    return {digits, static_cast<std::size_t>(nlohmann::detail::to_chars(digits, digits + sizeof digits, value) - digits)};
}

void PutNumber(Cursor& at, double value) {
    char digits[64];
    Put(at, NumberText(value, digits));
}

void PutInteger(Cursor& at, long value) {
    char digits[32];
    Put(at, std::string_view(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits)));
}

// A list of JSON texts as the library lays out an array compactly.
void PutList(Cursor& at, const std::vector<std::string>& items) {
    Put(at, "["sv);
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0) Put(at, ","sv);
        Put(at, items[k]);
    }
    Put(at, "]"sv);
}

// The names as JSON texts, each written once, whether the timings have predicted times, and the dates of the
// transits when several are reduced together (null when one is).
struct TimingTexts {
    const std::vector<std::string>& files;
    const std::vector<std::string>& observers;
    const std::vector<std::string>& sites;
    bool exact;
    const std::vector<std::string>* transitDates;
};

// Names are written as JSON in a fraction of a microsecond: fewer than this many are not worth a thread.
constexpr std::size_t NamesPerPiece = 1 << 15;

// Timings begin..end of the report's list, each on a line of its own as the JSON library lays out an object
// compactly, a comma before all but the first of the list. Laid out in room from its start, room growing as
// it must and never shrinking (its text beyond what was laid out is left as it was, not cleared): the bytes
// laid out.
std::size_t LayOutTimings(std::string& room, const Campaign& campaign, const FitResult& result, const TimingTexts& texts,
                          std::size_t begin, std::size_t end) {
    Cursor at{room, 0};
    // A site's timings follow each other: its coordinates are written once for them.
    double latitude = std::numeric_limits<double>::quiet_NaN(), longitude = latitude;
    std::string coordinates;
    auto quotedOrNull = [&](const std::string& value) {
        if (value.empty()) {
            Put(at, "null"sv);
            return;
        }
        Put(at, "\""sv);
        Put(at, value);
        Put(at, "\""sv);
    };
    for (std::size_t i = begin; i < end; ++i) {
        const Timing& t = campaign.timings[i];
        const TimingFit& fit = result.timings[i];
        Put(at, i == 0 ? "\n    {\"file\":"sv : ",\n    {\"file\":"sv);
        Put(at, texts.files[static_cast<std::size_t>(t.file)]);
        Put(at, ",\"line\":"sv);
        PutInteger(at, t.line);
        Put(at, ",\"observer\":"sv);
        Put(at, texts.observers[static_cast<std::size_t>(t.observer)]);
        Put(at, ",\"site\":"sv);
        Put(at, texts.sites[static_cast<std::size_t>(t.site)]);
        if (!(t.latitudeDegrees == latitude && t.longitudeDegrees == longitude)) {
            latitude = t.latitudeDegrees, longitude = t.longitudeDegrees;
            char digits[64];
            coordinates = ",\"latitude\":";
            coordinates += NumberText(latitude, digits);
            coordinates += ",\"longitude\":";
            coordinates += NumberText(longitude, digits);
        }
        Put(at, coordinates);
        Put(at, ",\"contact\":\""sv);
        Put(at, ContactName(t.start, t.end));
        if (texts.transitDates != nullptr) {
            Put(at, "\",\"transit\":\""sv);
            Put(at, (*texts.transitDates)[static_cast<std::size_t>(t.transit)]);
        }
        Put(at, fit.used ? "\",\"used\":true,\"o_minus_c_s\":"sv : "\",\"used\":false,\"o_minus_c_s\":"sv);
        PutNumber(at, fit.oMinusCS);
        Put(at, ",\"lever_s\":"sv);
        PutNumber(at, fit.leverS);
        // The exact model predicts each timing's UT: it stands before the flags.
        if (texts.exact) {
            Put(at, ",\"predicted_ut\":"sv);
            quotedOrNull(t.end == 0 && !std::isnan(fit.predictedS) ? FormatUt(fit.predictedS) : std::string());
        }
        // The UT the fit used, and the time as written.
        Put(at, ",\"date_ut\":"sv);
        quotedOrNull(UtDateText(t));
        Put(at, ",\"time_ut\":\""sv);
        Put(at, FormatUtMs(t.seconds));
        Put(at, "\",\"date_as_printed\":"sv);
        quotedOrNull(WrittenDateText(t));
        Put(at, ",\"time_as_printed\":\""sv);
        Put(at, WrittenTimeText(t));
        Put(at, "\",\"time_basis\":\""sv);
        Put(at, TimeBasisName(t.basis));
        Put(at, "\",\"day\":\""sv);
        Put(at, DayStartName(t.dayStart));
        Put(at, "\""sv);
        std::vector<std::string> words, reasons;
        for (int flag = 0; flag < FlagCount; ++flag) {
            if (fit.flagBits & (1u << flag)) words.push_back(JsonString(FlagWord(static_cast<Flag>(flag))));
        }
        for (const TimingFinding& found : FindingsOf(result, i)) reasons.push_back(JsonString(FindingText(found.finding, kit::Language::English)));
        Put(at, ",\"flags\":"sv);
        PutList(at, words);
        Put(at, ",\"reasons\":"sv);
        PutList(at, reasons);
        Put(at, "}"sv);
    }
    return at.used;
}

}  // namespace

void WriteJsonRefusal(const std::string& reason, std::ostream& out) {
    const nlohmann::json report = {{"au_km", nullptr}, {"au_bounded", false}, {"reason", reason}};
    out << report.dump(2) << '\n';
}

void WriteJsonUnidentified(const TransitRefusal& refusal, std::ostream& out) {
    nlohmann::json candidates = nlohmann::json::array();
    for (const TransitCandidate& c : refusal.candidates) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", c.year, c.month, c.day);
        candidates.push_back({{"planet", c.planet == ephemeris::Planet::Venus ? "venus" : "mercury"},
                              {"date", date},
                              {"timings_matched", c.matched},
                              {"mean_offset_s", c.offsetS}});
    }
    const nlohmann::json report = {{"au_km", nullptr},          {"au_bounded", false},
                                   {"reason", RefusalText(refusal)}, {"timings_tried", refusal.sampled},
                                   {"transit_candidates", candidates}};
    out << report.dump(2) << '\n';
}

void WriteJsonReport(const Reduction& reduction, std::ostream& out, int fileDescriptor) {
    const Campaign& campaign = reduction.campaign;
    const TransitChoice& choice = reduction.transits.front();
    const FitResult& result = reduction.fit;
    const bool several = reduction.transits.size() > 1;
    nlohmann::json report;
    report["au_km"] = Number(result.auKm);
    report["au_sigma_km"] = Number(result.auSigmaKm);
    report["au_sigma_formal_km"] = Number(result.auSigmaFormalKm);
    report["au_sigma_resampled_km"] = Number(result.auSigmaResampledKm);
    report["au_bounded"] = result.bounded;
    report["au_given"] = result.auGiven;
    report["parallax_arcsec"] = Number(result.parallaxArcsec);
    report["parallax_sigma_arcsec"] = Number(result.parallaxSigmaArcsec);
    report["scale_q"] = Number(result.q);
    report["degrees_of_freedom"] = result.degreesOfFreedom;
    report["resampling"] = {{"method", result.resampling.method.empty() ? nlohmann::json(nullptr) : nlohmann::json(result.resampling.method)},
                            {"runs", result.resampling.runs},
                            {"failed", result.resampling.failed},
                            {"seed", reduction.seed}};
    nlohmann::json without = nlohmann::json::array();
    for (const auto& [observer, au] : result.resampling.withoutObserver) {
        without.push_back({{"observer", campaign.observers[static_cast<std::size_t>(observer)]}, {"au_km", Number(au)}});
    }
    report["au_without_observer"] = without;
    if (!result.bounded) {
        // No figure of an AU the data do not bound; the reason in its place.
        for (const char* key : {"au_km", "au_sigma_km", "au_sigma_formal_km", "au_sigma_resampled_km", "parallax_arcsec",
                                "parallax_sigma_arcsec"}) {
            report[key] = nullptr;
        }
        report["au_without_observer"] = nlohmann::json::array();
        report["reason"] = UnboundedText(result, kit::Language::English);
    }
    report["model"] = choice.model.kind == SiteModelKind::Exact ? "exact" : "linear";
    report["coefficients"] = CoefficientsName(choice, kit::Language::English);
    report["model_bias_fraction"] = Number(result.modelBias);
    auto transit = [](const TransitChoice& c) {
        return nlohmann::json{{"planet", c.planet},
                              {"date", c.date},
                              {"coefficients", c.table ? "table" : "ephemeris"},
                              {"delta_t_s", c.transit.deltaTSeconds}};
    };
    // The transit with most timings; transits reduced together are all listed, and contacts and timings say whose.
    report["transit"] = transit(choice);
    if (several) {
        report["transits"] = nlohmann::json::array();
        for (const TransitChoice& c : reduction.transits) report["transits"].push_back(transit(c));
    }
    report["clock_offsets"] = reduction.clockOffsets;
    report["timings_read"] = result.read;
    report["timings_used"] = result.used;
    report["timings_rejected"] = result.rejected;
    report["timings_not_used"] = std::count_if(campaign.timings.begin(), campaign.timings.end(), [](const Timing& t) { return !t.use; });
    nlohmann::json contacts = nlohmann::json::array();
    for (const ContactFit& c : result.contacts) {
        contacts.push_back({{"contact", ContactName(c.start, c.end)},
                            {"reference_ut", c.end == 0 ? nlohmann::json(FormatUt(c.referenceS)) : nlohmann::json(nullptr)},
                            {"reference_s", Number(c.referenceS)},
                            {"offset_s", Number(c.offsetS)},
                            {"rms_s", Number(c.rmsS)},
                            {"timings", c.used}});
        if (several) contacts.back()["transit"] = reduction.transits[static_cast<std::size_t>(c.transit)].date;
    }
    report["contacts"] = contacts;
    nlohmann::json offsets = nlohmann::json::array();
    for (std::size_t j = 0; j < result.clockOffsetsS.size(); ++j) {
        if (!std::isnan(result.clockOffsetsS[j])) offsets.push_back({{"observer", campaign.observers[j]}, {"offset_s", result.clockOffsetsS[j]}});
    }
    report["clock_offsets_s"] = offsets;
    // The timings, a million of them in a large campaign, go out one at a time, each on a line of its own as
    // the JSON library writes an object compactly (a third of the bytes an indented one takes, and a line
    // that a search finds whole): memory does not grow with them.
    std::string head = report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    head.erase(head.size() - 2);  // the closing "\n}"
    // A file name from the command line can hold any bytes; one that is not UTF-8 is read as Windows-1252.
    std::vector<std::string> files;
    for (const std::string& file : campaign.files) files.push_back(kit::IsUtf8(file) ? file : Cp1252ToUtf8(file));
    // Each name is written as JSON once, and a timing refers to it: a million timings make no string of their own.
    std::vector<std::string> fileTexts, observerTexts, siteTexts;
    for (const std::string& file : files) fileTexts.push_back(JsonString(file));
    // A quarter of a million observers and sites each in a large campaign: written in pieces.
    auto asJson = [](const std::vector<std::string>& names, std::vector<std::string>& written) {
        written.resize(names.size());
        ForEachPiece(names.size(), NamesPerPiece, [&](std::size_t begin, std::size_t end) {
            for (std::size_t k = begin; k < end; ++k) written[k] = JsonString(names[k]);
        });
    };
    asJson(campaign.observers, observerTexts);
    asJson(campaign.sites, siteTexts);
    const bool exact = choice.model.kind == SiteModelKind::Exact;
    std::vector<std::string> transitDates;
    for (const TransitChoice& c : reduction.transits) transitDates.push_back(c.date);
    const TimingTexts texts{fileTexts, observerTexts, siteTexts, exact, several ? &transitDates : nullptr};
    out << head << ",\n  \"timings\": [";
    SpoolRows(campaign.timings.size(), out, fileDescriptor, [&](std::string& room, std::size_t begin, std::size_t end) {
        return LayOutTimings(room, campaign, result, texts, begin, end);
    });
    out << (campaign.timings.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace report
