#include "ui/ResponsiveWait.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <wx/app.h>
#include <wx/utils.h>

namespace quorvel::ui {

bool runResponsively(const std::function<bool()>& work)
{
    std::atomic<bool> done{false};
    bool result = false;
    std::thread worker([&] {
        try {
            result = work();
        } catch (...) {
            result = false;
        }
        done = true;
        wxWakeUpIdle();
    });
    {
        // No clicks or keys reach the windows meanwhile: the operator cannot
        // start a second change on top of the first.
        wxWindowDisabler noInput;
        wxBusyCursor busy;
        while (!done) {
            if (wxTheApp)
                wxTheApp->Yield(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    worker.join();
    return result;
}

}  // namespace quorvel::ui
