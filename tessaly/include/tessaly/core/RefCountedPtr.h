#pragma once

#include <utility>

namespace tessaly::core {

// Holds one reference to a RefCountedBase-derived object.
template <class T>
class RefCountedPtr {
public:
    RefCountedPtr() = default;
    RefCountedPtr(T* p) : p_(p) { if (p_) p_->addRef(); }
    RefCountedPtr(const RefCountedPtr& o) : p_(o.p_) { if (p_) p_->addRef(); }
    RefCountedPtr(RefCountedPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~RefCountedPtr() { if (p_) p_->release(); }

    RefCountedPtr& operator=(const RefCountedPtr& o)
    {
        reset(o.p_);
        return *this;
    }
    RefCountedPtr& operator=(RefCountedPtr&& o) noexcept
    {
        if (this != &o) {
            if (p_) p_->release();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    RefCountedPtr& operator=(T* p)
    {
        reset(p);
        return *this;
    }

    // Adds the new reference before dropping the old one, so re-assigning
    // the same object never frees it in between.
    void reset(T* p = nullptr)
    {
        if (p) p->addRef();
        T* old = std::exchange(p_, p);
        if (old) old->release();
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    bool operator==(const RefCountedPtr& o) const { return p_ == o.p_; }

private:
    T* p_ = nullptr;
};

} // namespace tessaly::core
