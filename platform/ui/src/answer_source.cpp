// The answer source: driver in force, fitting answers to requests, the transcript.
#include "platform/ui/answer_source.h"

#include <cstdio>
#include <mutex>

#include "message_box_buttons.h"
#include "platform/text/encoding.h"
#include "platform/text/format.h"

namespace platform::ui {
namespace {

std::mutex g_mutex;
std::shared_ptr<AnswerDriver> g_driver;
std::vector<std::string> g_transcript;
std::string g_transcriptFile;

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '"') {
            out += "\\\"";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string DescribeRequest(const Request& r) {
    switch (r.kind) {
        case RequestKind::MessageBox:
            return text::Format("box %s %s [%s]", Quote(r.caption), Quote(r.text), detail::ButtonsName(r.type));
        case RequestKind::Dialog:
            return text::Format("dialog %u %s", r.id, Quote(r.caption));
        case RequestKind::Prompt:
            return text::Format("prompt %s", Quote(r.text));
        default:
            return text::Format("%s %s %s", RequestKindName(r.kind), Quote(r.caption), Quote(r.text));
    }
}

std::string DescribeAnswer(const Answer& a) {
    if (!a.description.empty()) {
        return a.description;
    }
    switch (a.kind) {
        case RequestKind::MessageBox: return detail::ButtonName(a.button);
        case RequestKind::Dialog: return "actions";
        case RequestKind::OpenFile: {
            std::string all;
            for (auto& p : a.paths) {
                all += (all.empty() ? "" : " ") + Quote(p);
            }
            return all;
        }
        case RequestKind::Font: return text::Format("%s %d", Quote(a.font.face), a.font.pointSize);
        case RequestKind::Color:
            return text::Format("%u %u %u", a.color & 0xFF, (a.color >> 8) & 0xFF, (a.color >> 16) & 0xFF);
        case RequestKind::Menu: return text::Format("%d", a.button);
        default: return Quote(a.text);
    }
}

// Why an answer does not fit the request, or empty when it does.
std::string Misfit(const Request& r, const Answer& a) {
    if (a.anyKind && a.cancel) {
        return {};
    }
    if (a.kind != r.kind) {
        return text::Format("the answer is for a %s", RequestKindName(a.kind));
    }
    if (a.cancel) {
        return {};
    }
    if (r.kind == RequestKind::MessageBox && !detail::BoxHasButton(r.type, a.button)) {
        return text::Format("the box has no button %s", detail::ButtonName(a.button));
    }
    if (r.kind == RequestKind::Dialog && a.dialogId != 0 && a.dialogId != r.id) {
        return text::Format("the answer is for dialog %u", a.dialogId);
    }
    if (r.kind == RequestKind::OpenFile && a.paths.empty()) {
        return "no file named";
    }
    return {};
}

}  // namespace

const char* RequestKindName(RequestKind kind) {
    switch (kind) {
        case RequestKind::MessageBox: return "box";
        case RequestKind::Dialog: return "dialog";
        case RequestKind::OpenFile: return "open";
        case RequestKind::SaveFile: return "save";
        case RequestKind::Folder: return "folder";
        case RequestKind::Font: return "font";
        case RequestKind::Color: return "color";
        case RequestKind::Menu: return "menu";
        case RequestKind::Prompt: return "prompt";
    }
    return "?";
}

Answer BoxAnswer(int button) {
    Answer a;
    a.kind = RequestKind::MessageBox;
    a.button = button;
    return a;
}
Answer DialogAnswer(UINT dialogId, std::function<void(UiDriver&)> actions, std::string description) {
    Answer a;
    a.kind = RequestKind::Dialog;
    a.dialogId = dialogId;
    a.actions = std::move(actions);
    a.description = std::move(description);
    return a;
}
Answer OpenFileAnswer(std::vector<std::string> paths) {
    Answer a;
    a.kind = RequestKind::OpenFile;
    a.paths = std::move(paths);
    return a;
}
Answer SaveFileAnswer(std::string path) {
    Answer a;
    a.kind = RequestKind::SaveFile;
    a.text = std::move(path);
    return a;
}
Answer FolderAnswer(std::string path) {
    Answer a;
    a.kind = RequestKind::Folder;
    a.text = std::move(path);
    return a;
}
Answer FolderActionsAnswer(std::function<void(UiDriver&)> actions, std::string description) {
    Answer a;
    a.kind = RequestKind::Folder;
    a.actions = std::move(actions);
    a.description = description.empty() ? "actions" : std::move(description);
    return a;
}
Answer FontAnswer(FontChoice font) {
    Answer a;
    a.kind = RequestKind::Font;
    a.font = std::move(font);
    return a;
}
Answer ColorAnswer(COLORREF color) {
    Answer a;
    a.kind = RequestKind::Color;
    a.color = color;
    return a;
}
Answer MenuAnswer(UINT commandId) {
    Answer a;
    a.kind = RequestKind::Menu;
    a.button = static_cast<int>(commandId);
    return a;
}
Answer PromptAnswer(std::string text) {
    Answer a;
    a.kind = RequestKind::Prompt;
    a.text = std::move(text);
    return a;
}
Answer CancelAnswer(RequestKind kind) {
    Answer a;
    a.kind = kind;
    a.cancel = true;
    a.description = "cancel";
    return a;
}

void AnswerQueue::Push(Answer answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(std::move(answer));
}

std::size_t AnswerQueue::Pending() const {
    std::lock_guard lock(mutex_);
    return answers_.size() - next_;
}

std::optional<Answer> AnswerQueue::Next(const Request&) {
    std::lock_guard lock(mutex_);
    if (next_ >= answers_.size()) {
        return std::nullopt;
    }
    return answers_[next_++];
}

void SetAnswerDriver(std::shared_ptr<AnswerDriver> driver) {
    std::lock_guard lock(g_mutex);
    g_driver = std::move(driver);
}

std::shared_ptr<AnswerDriver> GetAnswerDriver() {
    std::lock_guard lock(g_mutex);
    return g_driver;
}

std::shared_ptr<AnswerQueue> UseAnswerQueue() {
    auto queue = std::make_shared<AnswerQueue>();
    SetAnswerDriver(queue);
    return queue;
}

Answer Ask(const Request& request) {
    AppendTranscript(DescribeRequest(request));
    std::optional<Answer> answer;
    if (auto driver = GetAnswerDriver()) {
        answer = driver->Next(request);
    }
    if (!answer) {
        AppendTranscript("  -> cancel (no answer)");
        return CancelAnswer(request.kind);
    }
    std::string misfit = Misfit(request, *answer);
    if (!misfit.empty()) {
        AppendTranscript("  -> cancel (" + misfit + ")");
        return CancelAnswer(request.kind);
    }
    AppendTranscript("  -> " + (answer->cancel ? std::string("cancel") : DescribeAnswer(*answer)));
    return *answer;
}

std::vector<std::string> TranscriptLines() {
    std::lock_guard lock(g_mutex);
    return g_transcript;
}

void ClearTranscript() {
    std::lock_guard lock(g_mutex);
    g_transcript.clear();
}

void AppendTranscript(const std::string& line) {
    std::lock_guard lock(g_mutex);
    g_transcript.push_back(line);
    if (!g_transcriptFile.empty()) {
        if (FILE* f = std::fopen(g_transcriptFile.c_str(), "ab")) {
            std::string utf8 = text::GbkToUtf8(line) + "\n";
            std::fwrite(utf8.data(), 1, utf8.size(), f);
            std::fclose(f);
        }
    }
}

void SetTranscriptFile(const std::string& utf8Path) {
    std::lock_guard lock(g_mutex);
    g_transcriptFile = utf8Path;
}

}  // namespace platform::ui
