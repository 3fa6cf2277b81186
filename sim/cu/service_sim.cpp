#include "sim/cu/service_sim.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace cusim {

bool WifiModule::valid_check(const std::string& n)
{
    return n == "do1" || n == "go6" || n == "do2" || n == "init" || n == "gc" || n == "wl";
}

void WifiModule::answer(const std::string& text, char out[5])
{
    std::string check;
    if (text == "<DO>") check = ++do_count == 1 ? "do1" : "do2";
    else if (text == "<GO6>") { check = "go6"; do_count = 1; }
    else if (text.rfind("<GC", 0) == 0) check = "gc";
    else if (text == "<WL>") check = "wl";
    const bool bracketed = text.size() >= 3 && text.front() == '<' && text.back() == '>';
    const char* reply = !bracketed || fails(check) ? "<E>" : text == "<GO6>" ? "<S6>" : "<S>";
    std::memset(out, 0, 5);
    std::memcpy(out, reply, std::strlen(reply));
}

void WifiModule::wire_init(uint32_t out[5])
{
    const uint32_t s = 0x3C533E00, e = 0x3C453E00;   // "<S>\0", "<E>\0"
    for (int i = 0; i < 5; ++i) out[i] = s;
    if (fails("init")) out[3] = e;
}

bool WifiModule::fails(const std::string& name)
{
    auto it = fail.find(name);
    if (it == fail.end() || it->second == 0) return false;
    if (it->second > 0) --it->second;
    return true;
}

namespace {

class DualPort : public Port {
public:
    DualPort(std::unique_ptr<Port> a, std::unique_ptr<Port> b) : wired_(std::move(a)), wireless_(std::move(b)) {}

    bool send(const uint8_t* frame, size_t len) override
    {
        return (on_wireless_ ? wireless_ : wired_)->send(frame, len);
    }

    int receive(uint8_t* buf, size_t cap, int timeout_ms) override
    {
        using clock = std::chrono::steady_clock;
        const auto end = clock::now() + std::chrono::milliseconds(timeout_ms);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - clock::now()).count();
            // The wired link waits (a short slice), the wireless one is looked at in between.
            int n = wired_->receive(buf, cap, left > 0 ? int(left < 2 ? left : 2) : 0);
            if (n != 0) {
                if (n > 0) use(false);
                return n;
            }
            n = wireless_->receive(buf, cap, 0);
            if (n != 0) {
                if (n > 0) use(true);
                return n;
            }
            if (left <= 0) return 0;
        }
    }

    void set_send_patience(int ms) override
    {
        wired_->set_send_patience(ms);
        wireless_->set_send_patience(ms);
    }
    bool own_mac(Mac& out) const override { return wired_->own_mac(out); }
    uint16_t reply_protocol() const override { return on_wireless_ ? kProtoWireless : 0; }

private:
    void use(bool wireless)
    {
        if (wireless != on_wireless_)
            std::printf("cusim: frames now on the %s link\n", wireless ? "wireless" : "wired");
        on_wireless_ = wireless;
    }
    std::unique_ptr<Port> wired_, wireless_;
    bool on_wireless_ = false;
};

}  // namespace

std::unique_ptr<Port> dual_port(std::unique_ptr<Port> wired, std::unique_ptr<Port> wireless)
{
    return std::make_unique<DualPort>(std::move(wired), std::move(wireless));
}

}  // namespace cusim
