#pragma once
// Long cuts report progress and let the host handle its window messages. The engine has no host;
// the host adapter passes an implementation, tests and benchmarks use the silent one.
namespace geometry {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // Shows the status-bar progress meter with a label (GBK text) and the range 0 to range.
    virtual void ShowProgressMeter(const char* /*label*/, int /*range*/) {}
    virtual void SetProgressPosition(int /*position*/) {}
    // Puts the status bar back as it was before the meter.
    virtual void RestoreStatusBar() {}
    // One pass of the host's message loop.
    virtual void PumpMessages() {}
};

// A sink that shows and pumps nothing.
ProgressSink& SilentProgress();

}  // namespace geometry
