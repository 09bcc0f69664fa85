#include "tessaly/core/Event.h"

#include <windows.h>

namespace tessaly::core {

// A kernel event object: manual reset releases every waiter until reset,
// automatic reset releases one waiter per set().
struct Event::Impl {
    HANDLE event;
};

Event::Event(bool manualReset, bool initiallySet)
    : impl_(new Impl{CreateEventW(nullptr, manualReset ? TRUE : FALSE, initiallySet ? TRUE : FALSE, nullptr)})
{
}

Event::~Event()
{
    if (impl_->event)
        CloseHandle(impl_->event);
    delete impl_;
}

void Event::set()
{
    SetEvent(impl_->event);
}

void Event::reset()
{
    ResetEvent(impl_->event);
}

bool Event::wait(int timeout)
{
    return WaitForSingleObject(impl_->event, timeout < 0 ? INFINITE : static_cast<DWORD>(timeout)) == WAIT_OBJECT_0;
}

} // namespace tessaly::core
