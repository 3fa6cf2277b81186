// libpcap under the link, as on the device: promiscuous capture with snapshot length 65535
// and read time-out 0 (wait for frames), frames sent with pcap_sendpacket.
//
// The capture is opened as pcap_open_live(ifname, 65535, 1, 0) does, plus immediate mode:
// with the memory-mapped TPACKET_V3 capture of current libpcap a time-out of 0 holds frames
// back until a whole buffer block has filled, so an answer of 150 bytes would never arrive.
// Immediate mode hands over every frame as it comes, which is what the time-out of 0 meant
// with the packet capture of the device's libpcap.
#include "link/transport.h"

#include <cstdio>
#include <cstring>
#include <net/if.h>
#include <pcap/pcap.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class CPcapTransport : public CLinkTransport {
public:
    ~CPcapTransport() override { close(); }

    // The hardware address of the interface in this process's network namespace, or, when
    // the ioctl is refused, the kernel's text in /sys/class/net/IF/address.
    int own_mac(const char* ifname, uint8_t out[6]) override
    {
        int s = socket(AF_INET, SOCK_DGRAM, 0);
        if (s >= 0) {
            struct ifreq ifr;
            memset(&ifr, 0, sizeof ifr);
            snprintf(ifr.ifr_name, sizeof ifr.ifr_name, "%s", ifname);
            int r = ioctl(s, SIOCGIFHWADDR, &ifr);
            ::close(s);
            if (r == 0) {
                memcpy(out, ifr.ifr_hwaddr.sa_data, 6);
                return 0;
            }
        }
        char path[128];
        snprintf(path, sizeof path, "/sys/class/net/%s/address", ifname);
        FILE* f = fopen(path, "r");
        if (!f)
            return -1;
        char text[64] = {0};
        size_t n = fread(text, 1, sizeof text - 1, f);
        fclose(f);
        text[n] = 0;
        return parse_mac_text(text, out) ? 0 : -2;
    }

    int open(const char* ifname, char* errbuf) override
    {
        char eb[PCAP_ERRBUF_SIZE] = {0};
        p_ = pcap_create(ifname, eb);
        if (!p_) {
            snprintf(errbuf, kLinkErrbufSize, "%s", eb);
            return -1;
        }
        pcap_set_snaplen(p_, 65535);
        pcap_set_promisc(p_, 1);
        pcap_set_timeout(p_, 0);
        pcap_set_immediate_mode(p_, 1);
        int r = pcap_activate(p_);
        if (r < 0) { // warnings (r > 0) leave a working capture
            if (r == PCAP_ERROR)
                snprintf(errbuf, kLinkErrbufSize, "%s", pcap_geterr(p_));
            else
                snprintf(errbuf, kLinkErrbufSize, "%s: %s", ifname, pcap_statustostr(r));
            pcap_close(p_);
            p_ = nullptr;
            return -1;
        }
        return 0;
    }

    int next(const uint8_t** data, uint32_t* caplen, uint32_t* wirelen) override
    {
        if (!p_)
            return -1;
        struct pcap_pkthdr* h = nullptr;
        const u_char* d = nullptr;
        int r = pcap_next_ex(p_, &h, &d);
        if (r == 1) {
            *data = d;
            *caplen = h->caplen;
            *wirelen = h->len;
            return 1;
        }
        if (r == 0)
            return 0;
        return r == PCAP_ERROR_BREAK ? -2 : -1;
    }

    int send(const uint8_t* frame, int len) override
    {
        if (!p_)
            return -1;
        return pcap_sendpacket(p_, frame, len) == 0 ? 0 : -1;
    }

    void wake() override
    {
        if (p_)
            pcap_breakloop(p_);
    }

    void close() override
    {
        if (p_) {
            struct pcap_stat st;
            if (pcap_stats(p_, &st) == 0)
                printf("pcap: %u frames captured, %u dropped by the capture buffer, %u by the interface\n",
                       st.ps_recv, st.ps_drop, st.ps_ifdrop);
            pcap_close(p_);
            p_ = nullptr;
        }
    }

private:
    pcap_t* p_ = nullptr;
};

} // namespace

CLinkTransport* new_pcap_transport() { return new CPcapTransport; }
