#pragma once

// One lab shared by every test of a suite: built in SetUpTestSuite, removed
// in TearDownTestSuite. Where no lab can be built (not root, no nmbd) the
// suite's tests skip; where building it failed, each of them fails with the
// reason instead of the whole test program ending.
//
//   static void SetUpTestSuite() { s_lab.Build([](NetLab& lab) { ... }); }
//   static void TearDownTestSuite() { s_lab.Reset(); }
//   void SetUp() override { NODESCOUT_REQUIRE_SUITE_LAB(s_lab); }
//   static inline SuiteLab s_lab{SuiteLab::Needs::Nmbd};

#include "tests/support/NetLab.h"

#include <exception>
#include <memory>
#include <string>
#include <utility>

namespace nodescout::test {

class SuiteLab {
public:
    enum class Needs { Namespaces, Nmbd };

    explicit SuiteLab(Needs needs) : m_needs(needs) {}

    // Empty when a lab with what this suite needs can be built here.
    std::string UnavailableReason() const {
        return m_needs == Needs::Nmbd ? NetLab::NmbdUnavailableReason()
                                      : NetLab::UnavailableReason();
    }

    // Builds the lab and lets populate add hosts and processes to it. A
    // failure is kept for the tests to report; what was built stays until
    // Reset, so the suite removes its own helpers first, in its own order.
    template <typename Populate>
    void Build(Populate&& populate) {
        if (!UnavailableReason().empty()) {
            return;
        }
        try {
            m_lab = std::make_unique<NetLab>("198.18.0.1/24");
            std::forward<Populate>(populate)(*m_lab);
        } catch (const std::exception& error) {
            m_setupError = error.what();
        }
    }
    void Reset() {
        m_lab.reset();
        m_setupError.clear();
    }

    bool Ready() const { return m_lab && m_setupError.empty(); }
    const std::string& SetupError() const { return m_setupError; }

    NetLab& operator*() const { return *m_lab; }
    NetLab* operator->() const { return m_lab.get(); }

private:
    Needs m_needs;
    std::unique_ptr<NetLab> m_lab;
    std::string m_setupError;
};

} // namespace nodescout::test

// In a fixture's SetUp: skips the test where the suite's lab cannot be
// built here, fails it where building the lab failed.
#define NODESCOUT_REQUIRE_SUITE_LAB(suiteLab)                                                      \
    do {                                                                                           \
        if (const std::string reason = (suiteLab).UnavailableReason(); !reason.empty()) {          \
            GTEST_SKIP() << reason;                                                                \
        }                                                                                          \
        ASSERT_TRUE((suiteLab).Ready()) << (suiteLab).SetupError();                                \
    } while (false)
