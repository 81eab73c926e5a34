#include "geometry/progress_sink.h"

namespace geometry {

ProgressSink& SilentProgress() {
    static ProgressSink silent;
    return silent;
}

}  // namespace geometry
