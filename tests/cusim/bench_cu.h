// A simulated CU on an in-memory wire, driven frame by frame and with a manual clock.
#pragma once

#include "cusim/cu_client.h"
#include "sim/cu/device.h"

#include <memory>
#include <unistd.h>
#include <string>
#include <vector>

namespace cutest {

struct MemoryPort : cusim::Port {
    std::vector<Bytes> sent;
    bool send(const uint8_t* f, size_t len) override { sent.emplace_back(f, f + len); return true; }
    int receive(uint8_t*, size_t, int) override { return 0; }
};

struct CuBench {
    cusim::DeviceConfig cfg;
    MemoryPort port;
    std::unique_ptr<cusim::Device> dev;
    Client client;
    double now = 0;

    explicit CuBench(bool udp = true, cusim::DeviceConfig c = {}) : cfg(c)
    {
        dev = std::make_unique<cusim::Device>(cfg, port);
        client.udp = udp;
    }
    // Delivers one frame to the CU and returns every frame it sent in response.
    std::vector<Reply> send(const Bytes& frame)
    {
        port.sent.clear();
        dev->on_frame(frame.data(), frame.size(), now);
        std::vector<Reply> out;
        for (auto& f : port.sent) out.push_back(decode(f));
        return out;
    }
    // The answer (kind 1) to a command; kind stays 0 when none came.
    Reply ask(uint16_t code, uint16_t sub = 0, std::array<uint32_t, 8> args = {})
    {
        const uint16_t pn = client.packet;
        for (auto& r : send(client.command(code, sub, args)))
            if (r.kind == 1 && r.answered == pn) return r;
        return Reply{};
    }
    void discover()
    {
        const Bytes d = client.command(0xFFFF);
        port.sent.clear();
        dev->on_frame(d.data(), d.size(), now);
        if (!port.sent.empty()) client.learn(port.sent.back());
    }
    // Runs the clock forward in small steps and collects what the CU sent meanwhile.
    std::vector<Bytes> run(double seconds, double step = 0.001)
    {
        port.sent.clear();
        const double end = now + seconds;
        while (now < end) {
            dev->poll(now);
            now += step;
        }
        return port.sent;
    }
    // Flat-out production: n polls.
    std::vector<Bytes> produce(int polls)
    {
        port.sent.clear();
        for (int i = 0; i < polls; ++i) dev->poll(now);
        return port.sent;
    }
};

inline std::string temp_path(const std::string& name)
{
    return std::string("/tmp/cusim-test-") + std::to_string(::getpid()) + "-" + name;
}

}  // namespace cutest
