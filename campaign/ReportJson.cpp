// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Report.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <string>
#include <vector>

#include "Format.h"
#include "ModulDos.h"
#include "Words.h"

namespace campaign {
namespace {

template <typename Json = nlohmann::json>
Json Number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

// The exact model's prediction of a clock time, as its clock would read it: null for a duration or an
// unseen contact.
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
                            {"offset_s", Number(c.offsetS)},
                            {"rms_s", Number(c.rmsS)},
                            {"timings", c.used}});
    }
    report["contacts"] = contacts;
    nlohmann::json offsets = nlohmann::json::array();
    for (std::size_t j = 0; j < result.clockOffsetsS.size(); ++j) {
        if (!std::isnan(result.clockOffsetsS[j])) offsets.push_back({{"observer", campaign.observers[j]}, {"offset_s", result.clockOffsetsS[j]}});
    }
    report["clock_offsets_s"] = offsets;
    // The timings, a million of them in a large campaign, go out one at a time, each as the JSON library
    // writes it inside the whole report: memory does not grow with them.
    std::string head = report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    head.erase(head.size() - 2);  // the closing "\n}"
    std::string text = head + ",\n  \"timings\": [";
    // A file name from the command line can hold any bytes; one that is not UTF-8 is read as Windows-1252.
    std::vector<std::string> files;
    for (const std::string& file : campaign.files) files.push_back(kit::IsUtf8(file) ? file : Cp1252ToUtf8(file));
    // The object is built once and its values overwritten in place, so that a timing costs no allocation of
    // its own. It sits in two arrays so that the library indents it as the report's timings are indented.
    // The exact model predicts each timing's UT: it stands before the flags.
    const bool exact = reduction.choice.model.kind == SiteModelKind::Exact;
    nlohmann::ordered_json object = {{"file", ""},           {"line", 0},         {"observer", ""},
                                     {"site", ""},           {"latitude", nullptr}, {"longitude", nullptr},
                                     {"contact", ""},        {"used", false},     {"o_minus_c_s", nullptr},
                                     {"lever_s", nullptr}};
    if (exact) object["predicted_ut"] = nullptr;
    object["flags"] = nlohmann::ordered_json::array();
    object["reasons"] = nlohmann::ordered_json::array();
    nlohmann::ordered_json nest = nlohmann::ordered_json::array({nlohmann::ordered_json::array({object})});
    nlohmann::ordered_json& timing = nest[0][0];
    nlohmann::ordered_json* predicted = exact ? &timing["predicted_ut"] : nullptr;
    auto& fileText = timing["file"].get_ref<std::string&>();
    auto& observerText = timing["observer"].get_ref<std::string&>();
    auto& siteText = timing["site"].get_ref<std::string&>();
    auto& contactText = timing["contact"].get_ref<std::string&>();
    nlohmann::ordered_json &line = timing["line"], &used = timing["used"], &latitude = timing["latitude"],
                           &longitude = timing["longitude"], &oMinusC = timing["o_minus_c_s"], &lever = timing["lever_s"],
                           &flags = timing["flags"], &reasons = timing["reasons"];
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        const TimingFit& fit = result.timings[i];
        fileText = files[static_cast<std::size_t>(t.file)];
        line = t.line;
        observerText = campaign.observers[static_cast<std::size_t>(t.observer)];
        siteText = campaign.sites[static_cast<std::size_t>(t.site)];
        latitude = Number<nlohmann::ordered_json>(t.latitudeDegrees);
        longitude = Number<nlohmann::ordered_json>(t.longitudeDegrees);
        contactText = ContactName(t.start, t.end);
        used = fit.used;
        oMinusC = Number<nlohmann::ordered_json>(fit.oMinusCS);
        lever = Number<nlohmann::ordered_json>(fit.leverS);
        if (predicted != nullptr) {
            *predicted = t.end == 0 && !std::isnan(fit.predictedS) ? nlohmann::ordered_json(FormatUt(fit.predictedS))
                                                                   : nlohmann::ordered_json(nullptr);
        }
        flags.clear();
        for (int flag = 0; flag < FlagCount; ++flag) {
            if (fit.flagBits & (1u << flag)) flags.push_back(FlagWord(static_cast<Flag>(flag)));
        }
        reasons.clear();
        for (const TimingFinding& found : FindingsOf(result, i)) reasons.push_back(FindingText(found.finding, kit::Language::English));
        // "[\n  [\n    {...}\n  ]\n]": the object between the arrays' brackets, two levels deep.
        const std::string nested = nest.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        text += i == 0 ? "\n    " : ",\n    ";
        text.append(nested, 10, nested.size() - 10 - 6);
        if (text.size() > (1u << 16)) {
            out << text;
            text.clear();
        }
    }
    text += campaign.timings.empty() ? "]\n}\n" : "\n  ]\n}\n";
    out << text;
}

}  // namespace campaign
