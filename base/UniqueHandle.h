#pragma once
// One move-only owner for every kind of handle: it releases its handle exactly once, in its
// destructor. Traits name the handle type, its empty value and its release function.

#include <utility>

namespace pvbase {

template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : m_handle(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Empty(); }
    // For functions that return a handle through a pointer; whatever was held is released first.
    Handle* Receive()
    {
        Reset();
        return &m_handle;
    }
    Handle Release()
    {
        Handle h = m_handle;
        m_handle = Traits::Empty();
        return h;
    }
    void Reset(Handle h = Traits::Empty())
    {
        if (m_handle != Traits::Empty() && m_handle != h)
            Traits::Close(m_handle);
        m_handle = h;
    }

private:
    Handle m_handle = Traits::Empty();
};

// Traits for handles whose empty value is null and that one free function releases.
template <class H, class Fn, Fn Closer>
struct NullEmptyTraits {
    using Handle = H;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { Closer(h); }
};

}  // namespace pvbase
