// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Report.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "Format.h"
#include "ModulDos.h"
#include "Words.h"

namespace campaign {
namespace {

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

// The exact model's prediction of a clock time, as its clock would read it: null for a duration or an
// unseen contact.
void AppendPredictedUt(std::string& text, const Timing& t, const TimingFit& fit) {
    text += ", \"predicted_ut\": ";
    text += t.end == 0 && !std::isnan(fit.predictedS) ? "\"" + FormatUt(fit.predictedS) + "\"" : std::string("null");
}

}  // namespace

void WriteJsonRefusal(const std::string& reason, std::ostream& out) {
    const nlohmann::json report = {{"au_km", nullptr}, {"au_bounded", false}, {"reason", reason}};
    out << report.dump(2) << '\n';
}

void WriteJsonReport(const Reduction& reduction, std::ostream& out) {
    const Campaign& campaign = reduction.campaign;
    const TransitChoice& choice = reduction.choice;
    const FitResult& result = reduction.fit;
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
    report["coefficients"] = CoefficientsName(choice, kit::Language::English);
    report["model_bias_fraction"] = Number(result.modelBias);
    report["transit"] = {{"planet", choice.planet},
                         {"date", choice.date},
                         {"coefficients", choice.table ? "table" : "ephemeris"},
                         {"delta_t_s", choice.transit.deltaTSeconds}};
    report["clock_offsets"] = reduction.clockOffsets;
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
        if (reduction.choice.model.kind == SiteModelKind::Exact) AppendPredictedUt(text, t, fit);
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
        for (std::size_t k = 0; k < fit.findings.size(); ++k) {
            if (k > 0) text += ", ";
            AppendJsonString(text, FindingText(fit.findings[k], kit::Language::English));
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

}  // namespace campaign
