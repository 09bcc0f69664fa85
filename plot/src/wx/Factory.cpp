// The library's two entry points.
#include <new>

#include "CoordsSys.h"
#include "PlotWnd.h"

extern "C" CURVELLA_API CoordsSysEngine* createCoordsSys() {
    return new (std::nothrow)
        curvella::CoordsSys([](curvella::CoordsSys& engine) -> curvella::DrawHandler* {
            return new curvella::CPlotWnd(engine);
        });
}

extern "C" CURVELLA_API void releaseCoordsSys(CoordsSysEngine* engine) {
    delete dynamic_cast<curvella::CoordsSys*>(engine);
}
