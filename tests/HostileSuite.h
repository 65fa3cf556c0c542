#pragma once

// A gtest suite over the hostile profile, built once for all of the suite's
// tests with the real Harvester.

#include "HostileProfile.h"

#include <gtest/gtest.h>

#include <memory>

namespace corvane::test {

class HostileSuite : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_fixture = std::make_unique<HostileFixture>();
        // the sessions run "Harvester PROJECT --date DAY"
        const QString error = s_fixture->build(QStringLiteral(CORVANE_BIN_DIR "/Harvester"));
        ASSERT_EQ(error, QString()) << qPrintable(error);
    }
    static void TearDownTestSuite() { s_fixture.reset(); }
    void SetUp() override { ASSERT_TRUE(s_fixture && s_fixture->ready()) << "the fixture was not built"; }

    static inline std::unique_ptr<HostileFixture> s_fixture;
};

} // namespace corvane::test
