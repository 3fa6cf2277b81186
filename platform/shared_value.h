// A value one thread changes while others read it, such as the trace count the acquisition
// thread raises while the screens show it: every access is atomic, and the holder copies and
// assigns like the plain field it replaces.
#pragma once

#include <atomic>

template <class T> class Shared {
public:
    Shared(T v = T()) noexcept : v_(v) {}
    Shared(const Shared& o) noexcept : v_(o.load()) {}
    Shared& operator=(const Shared& o) noexcept
    {
        v_.store(o.load());
        return *this;
    }
    Shared& operator=(T v) noexcept
    {
        v_.store(v);
        return *this;
    }
    operator T() const noexcept { return v_.load(); }
    T load() const noexcept { return v_.load(); }
    T operator++() noexcept { return ++v_; }
    T operator++(int) noexcept { return v_++; }
    T operator--() noexcept { return --v_; }
    T operator+=(T d) noexcept { return v_ += d; }
    T operator-=(T d) noexcept { return v_ -= d; }

private:
    std::atomic<T> v_;
};
