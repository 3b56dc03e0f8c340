#pragma once

// A walk owner that writes down each event a range walk sends it as a line
// of text ("begin 3", "done", "row <ip> <mac> <name>", "end 3",
// "status <text>"), so that tests compare walks by their logs. Probing,
// stops and pauses are left to the test's own subclass.

#include "probe/AddressWalk.h"

#include <string>
#include <vector>

namespace nodescout::test {

class RecordingWalkOwner : public WalkOwner {
public:
    std::vector<std::string> log;

    void RowFound(const char* ip, const char* mac, const char* name) override {
        log.push_back(std::string("row ") + ip + " " + mac + " " + name);
    }
    void RangeBegins(std::int32_t count) override {
        log.push_back("begin " + std::to_string(count));
    }
    void AddressDone() override { log.push_back("done"); }
    void RangeEnds(std::int32_t count) override { log.push_back("end " + std::to_string(count)); }
    void SetStatusText(const char* text) override { log.push_back(std::string("status ") + text); }
};

} // namespace nodescout::test
