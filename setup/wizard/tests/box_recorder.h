// Answers from a test's queue and keeps what each message box asked: its text, its type and
// whether the wait cursor was up while it was shown.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/afx_app.h"
#include "platform/ui/answer_source.h"

namespace wizardtest {

struct AskedBox {
    std::string text;  // GBK
    UINT type = 0;
    bool waitCursor = false;
};

class BoxRecorder : public platform::ui::AnswerDriver {
public:
    explicit BoxRecorder(std::shared_ptr<platform::ui::AnswerQueue> queue) : queue_(std::move(queue)) {}

    std::optional<platform::ui::Answer> Next(const platform::ui::Request& request) override {
        if (request.kind == platform::ui::RequestKind::MessageBox) {
            std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back({request.text, request.type, platform::ui::WaitCursorShown()});
        }
        return queue_->Next(request);
    }
    std::vector<AskedBox> Boxes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }
    // The last box whose text holds the words, or nothing.
    std::optional<AskedBox> Find(const std::string& gbk) const {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = boxes_.rbegin(); it != boxes_.rend(); ++it)
            if (it->text.find(gbk) != std::string::npos) return *it;
        return std::nullopt;
    }

private:
    std::shared_ptr<platform::ui::AnswerQueue> queue_;
    mutable std::mutex mutex_;
    std::vector<AskedBox> boxes_;
};

// Puts a recorder in front of the queue and returns it.
inline std::shared_ptr<BoxRecorder> RecordBoxes(std::shared_ptr<platform::ui::AnswerQueue> queue) {
    auto recorder = std::make_shared<BoxRecorder>(std::move(queue));
    platform::ui::SetAnswerDriver(recorder);
    return recorder;
}

}  // namespace wizardtest
