// What the CU offers for the monitor's service screens: the antenna's WiFi module (answers to
// its bracketed commands and to the wire initiation, each check failing on demand), the
// test ramp's corruption fault, and the second link of a monitor that reaches the CU over
// its access point (wlan0) as well as over the cable (eth0).
#pragma once

#include "sim/cu/port.h"

#include <cstdint>
#include <memory>
#include <map>
#include <string>

namespace cusim {

// Faults of the WiFi module (--fault wifi=CHECK[:N], repeatable): do1 / go6 / do2 answer the
// first "<DO>", the "<GO6>" and the second "<DO>" with "<E>"; init gives the wire initiation
// wrong answer words; gc / wl fail the channel commands.
struct WifiModule {
    std::map<std::string, int> fail;   // check -> failures left, -1 always
    int do_count = 0;   // "<DO>" commands since the last "<GO6>"
    static bool valid_check(const std::string& name);
    // The module's answer (at most 4 characters and a zero) to a bracketed command.
    void answer(const std::string& text, char out[5]);
    // The five answer words of the wire initiation.
    void wire_init(uint32_t out[5]);
    // Whether check `name` fails now (counting down a limited fault).
    bool fails(const std::string& name);
};

// Two links served as one: frames are taken from either, and replies go out on the link the
// latest frame came in on. Frames from the wireless link are answered with the wireless
// protocol word.
std::unique_ptr<Port> dual_port(std::unique_ptr<Port> wired, std::unique_ptr<Port> wireless);

}  // namespace cusim
