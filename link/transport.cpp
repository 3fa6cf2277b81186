#include "link/transport.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

bool parse_mac_text(const char* t, uint8_t out[6])
{
    if (!t)
        return false;
    for (int i = 0; i < 6; i++) {
        int v = 0;
        for (int k = 0; k < 2; k++) {
            char c = *t++;
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return false;
            v = v * 16 + d;
        }
        out[i] = uint8_t(v);
        if (i < 5 && *t++ != ':')
            return false;
    }
    while (*t == ' ' || *t == '\n' || *t == '\r' || *t == '\t')
        t++;
    return *t == 0;
}

CLinkTransport* new_transport_from_env()
{
    const char* sel = getenv("GPRMON_LINK");
    if (sel && strncmp(sel, "unix:", 5) == 0 && sel[5])
        return new_unix_transport(sel + 5);
    return new_pcap_transport();
}
