// Writes the reference suite's hard-text scenarios: every text of the hard-text set posted in turn
// on one device, each held as a snapshot once its banner has slid in. The build runs it (the
// hard_text_scenarios target), so the scenarios always follow the set and are never kept in git.
//   hard-text-scenarios MODEL FILE
#include "sim/HardText.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: hard-text-scenarios MODEL FILE\n";
        return 2;
    }
    nlohmann::ordered_json events = nlohmann::ordered_json::array();
    int tenths = 3; // times in tenths of a second, so they print as written
    for (const zovo::HardTextSample& sample : zovo::hardTextSamples()) {
        events.push_back({{"at", tenths / 10.0},
                          {"notify", {{"id", sample.name}, {"app", sample.app}, {"title", sample.title},
                                      {"message", sample.message}, {"icon", "messages"}, {"date", "now"}}}});
        events.push_back({{"at", (tenths + 8) / 10.0}, {"snapshot", sample.name}});
        tenths += 10;
    }
    nlohmann::ordered_json scenario = {
        {"device", argv[1]},
        {"settings", {{"isEnabled", true}, {"bgColour", "000000"}, {"textColour", "FFFFFF"}, {"adaptiveColours", false},
                      {"showGrabber", true}, {"showTimestamp", true}, {"customWidth", false}, {"customWidthValue", 209}}},
        {"bannerDuration", 4},
        {"until", tenths / 10.0},
        {"events", events}};
    std::ofstream file(argv[2]);
    file << scenario.dump(2) << '\n';
    if (!file.flush()) {
        std::cerr << "hard-text-scenarios: " << argv[2] << ": cannot write\n";
        return 1;
    }
}
