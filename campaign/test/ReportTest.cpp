// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace campaign;

namespace {

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

TEST(WriteTextReport, SampleCampaignAsBefore) {
    // The golden files are the reports of the sample campaign as they were read and checked (the AU, the three
    // planted errors named); reading, fitting, diagnosing and writing must give them byte for byte.
    std::ifstream csv(SAMPLE_FOLDER "/campaign-2004.csv", std::ios::binary);
    ASSERT_TRUE(csv);
    Campaign read;
    std::ostringstream err;
    ASSERT_EQ(ReadCampaign("campaign-2004.csv", csv, read, err), ReadStatus::Read);
    const Reduction reduction = Reduce(read, ReduceOptions{}, err);
    ASSERT_EQ(reduction.outcome, Outcome::Reduced);
    EXPECT_EQ(err.str(), "");
    const struct {
        kit::Language language;
        const char* golden;
    } cases[] = {{kit::Language::English, "campaign-2004.en.txt"}, {kit::Language::German, "campaign-2004.de.txt"}};
    for (const auto& c : cases) {
        std::ostringstream text;
        WriteTextReport(reduction, c.language, text);
        const std::string expected = Contents(std::string(GOLDEN_FOLDER "/") + c.golden);
        ASSERT_FALSE(expected.empty()) << c.golden;
        EXPECT_EQ(text.str(), expected) << c.golden;
    }
}
