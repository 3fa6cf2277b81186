// The wire the CU is attached to. One datagram or captured packet is one whole Ethernet frame
// (destination MAC first, no FCS).
#pragma once

#include "sim/cu/wire.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace cusim {

class Port {
public:
    virtual ~Port() = default;
    // Sends one frame; false when it was lost on the wire (no peer, full peer queue, error).
    virtual bool send(const uint8_t* frame, size_t len) = 0;
    // Waits up to timeout_ms (0: no wait) for a frame; its length, 0 when none came, -1 on a
    // fatal error of the port.
    virtual int receive(uint8_t* buf, size_t cap, int timeout_ms) = 0;
    // How long a send may wait for room at the peer before the frame counts as lost. A real
    // wire never pushes back; a Unix socket queue does, so flat-out runs wait longer.
    virtual void set_send_patience(int ms) { (void)ms; }
    // The interface's own MAC when the port has one (pcap), else false.
    virtual bool own_mac(Mac& out) const { (void)out; return false; }
    // The protocol word replies must carry because of the link the last frame came in on
    // (the wireless one of a dual port), 0 when the commands decide.
    virtual uint16_t reply_protocol() const { return 0; }
};

// "unix:PATH" or "pcap:IFACE"; nullptr with a message when it cannot be opened.
std::unique_ptr<Port> open_port(const std::string& link, std::string& error);

}  // namespace cusim
