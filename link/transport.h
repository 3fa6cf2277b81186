// The one seam under the link: how whole Ethernet frames enter and leave the monitor.
//
// On the device the link captures and sends frames with libpcap on eth0 or wlan0
// (CPcapTransport). For simulation, GPRMON_LINK=unix:PATH exchanges the same frame bytes with
// a simulator process over a Unix datagram socket (CUnixTransport: own socket PATH.mon, the
// simulator at PATH, one datagram per frame; wlan0 likewise at PATH.wlan0). Tests and benchmarks may hand the link a
// CMemoryTransport. Everything above this interface is the same code in all cases.
//
// Threading: next() is called only by the receiving thread; send() by any thread but never
// concurrently (the link serialises sends); wake() from any thread; open/close while no
// other thread uses the transport.
#pragma once

#include <cstdint>

constexpr int kLinkErrbufSize = 256;

class CLinkTransport {
public:
    virtual ~CLinkTransport() {}
    // Reads the own MAC of interface ifname (eth0, wlan0) into out[6]: 0, -1 when it cannot
    // be read, -2 when what was read is not a MAC address.
    virtual int own_mac(const char* ifname, uint8_t out[6]) = 0;
    // Opens the capture on ifname: 0, or -1 with a text in errbuf (kLinkErrbufSize).
    virtual int open(const char* ifname, char* errbuf) = 0;
    // Waits for the next frame. 1: *data/*caplen/*wirelen describe it (valid until the next
    // call); 0: time-out; -1: error; -2: woken by wake() (no frame).
    virtual int next(const uint8_t** data, uint32_t* caplen, uint32_t* wirelen) = 0;
    // Sends one whole frame: 0 on success (a frame lost on the way counts as sent), -1 on a
    // failure of the sender.
    virtual int send(const uint8_t* frame, int len) = 0;
    // Makes a next() that waits now (or the next one) return -2.
    virtual void wake() = 0;
    virtual void close() = 0;
};

// libpcap on the named interface exactly as the device uses it.
CLinkTransport* new_pcap_transport();
// Unix datagram socket to a simulator bound at socket_path.
CLinkTransport* new_unix_transport(const char* socket_path);
// The transport chosen by GPRMON_LINK ("unix:PATH"; anything else or unset: libpcap).
// The caller owns the result.
CLinkTransport* new_transport_from_env();

// Parses "XX:XX:XX:XX:XX:XX" (either case, trailing blanks allowed) into out: true on success.
bool parse_mac_text(const char* text, uint8_t out[6]);
