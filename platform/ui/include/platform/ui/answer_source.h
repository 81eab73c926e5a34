// The one process-wide source of answers for everything that would wait for a person: message
// boxes, modal dialogs, common dialogs, pop-up menus and the CAD host's prompts.
//
// A driver answers: a test queue, a script, or a console person. Without a driver, or when the
// driver has no answer, the request is cancelled and the cancel is logged, so nothing ever blocks
// waiting for a person unless the console driver was chosen. Every request, answer and cancel is
// written to the transcript.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/window_types.h"

namespace platform::ui {

class UiDriver;

enum class RequestKind { MessageBox, Dialog, OpenFile, SaveFile, Folder, Font, Color, Menu, Prompt };

// Name used in transcripts and scripts: "box", "dialog", "open", "save", "folder", "font",
// "color", "menu", "prompt".
const char* RequestKindName(RequestKind kind);

struct Request {
    RequestKind kind = RequestKind::MessageBox;
    std::string caption;  // GBK: box caption, dialog caption, file dialog title
    std::string text;     // GBK: box text, prompt text, default file name, start folder
    UINT type = 0;        // message-box type (MB_*)
    UINT id = 0;          // dialog template id
    HWND window = nullptr;            // the dialog shown, for Dialog requests
    std::vector<std::string> choices;  // menu entries as "id text", file filter parts
};

struct FontChoice {
    std::string face;  // GBK
    int pointSize = 9;
    bool bold = false;
    bool italic = false;
    COLORREF color = 0;
    BYTE charSet = 134;  // GB2312
    BYTE pitchAndFamily = 0;
};

struct Answer {
    RequestKind kind = RequestKind::MessageBox;
    bool cancel = false;
    int button = 0;                 // MessageBox: IDOK, IDYES...; Menu: the command id
    std::string text;               // Prompt text, Folder path, SaveFile path (GBK)
    std::vector<std::string> paths;  // OpenFile: one or more paths (GBK)
    FontChoice font;
    COLORREF color = 0;
    UINT dialogId = 0;              // Dialog: 0 answers any dialog, else only that template
    std::function<void(UiDriver&)> actions;  // Dialog: what the person does in it
    std::string description;        // how the transcript shows the answer
    bool anyKind = false;           // a cancel that answers whatever is asked next
};

// Convenience makers for tests and scripts.
Answer BoxAnswer(int button);
Answer DialogAnswer(UINT dialogId, std::function<void(UiDriver&)> actions, std::string description = {});
Answer OpenFileAnswer(std::vector<std::string> paths);
Answer SaveFileAnswer(std::string path);
Answer FolderAnswer(std::string path);
// A folder chosen by acting on the browser window (typing into an edit box the code added...).
Answer FolderActionsAnswer(std::function<void(UiDriver&)> actions, std::string description = {});
Answer FontAnswer(FontChoice font);
Answer ColorAnswer(COLORREF color);
Answer MenuAnswer(UINT commandId);
Answer PromptAnswer(std::string text);
Answer CancelAnswer(RequestKind kind);

class AnswerDriver {
public:
    virtual ~AnswerDriver() = default;
    // The answer to a request, or nothing when this driver has none.
    virtual std::optional<Answer> Next(const Request& request) = 0;
};

// Answers queued by a test, given in the order the requests come.
class AnswerQueue : public AnswerDriver {
public:
    void Push(Answer answer);
    std::size_t Pending() const;
    std::optional<Answer> Next(const Request& request) override;

private:
    mutable std::mutex mutex_;
    std::vector<Answer> answers_;
    std::size_t next_ = 0;
};

// The driver in force; null means none (every request is cancelled).
void SetAnswerDriver(std::shared_ptr<AnswerDriver> driver);
std::shared_ptr<AnswerDriver> GetAnswerDriver();

// Replaces the driver by a fresh queue and returns it.
std::shared_ptr<AnswerQueue> UseAnswerQueue();

// Asks the driver, checks the answer fits the request and logs both. A missing or unfitting
// answer comes back as a cancel (Answer::cancel set).
Answer Ask(const Request& request);

// The transcript: one line per box, dialog, answer and cancel, in GBK.
std::vector<std::string> TranscriptLines();
void ClearTranscript();
void AppendTranscript(const std::string& line);
// Also writes every new line, in UTF-8, to this file (appending); empty stops writing.
void SetTranscriptFile(const std::string& utf8Path);

}  // namespace platform::ui
