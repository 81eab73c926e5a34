#include "terminal_view.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "platform/cad/main_frame.h"
#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/ui/answer_drivers.h"
#include "platform/ui/ui_driver.h"
#include "platform/ui/window_api.h"

namespace cadhost {
namespace {

const char* ButtonName(int button)
{
    switch (button) {
        case IDOK: return "OK";
        case IDCANCEL: return "Cancel";
        case IDABORT: return "Abort";
        case IDRETRY: return "Retry";
        case IDIGNORE: return "Ignore";
        case IDYES: return "Yes";
        case IDNO: return "No";
        default: return "?";
    }
}

void ShowWindowTexts(HWND window)
{
    for (const std::string& line : platform::ui::UiDriver(window).Describe())
        Print("\n  " + line);
}

}  // namespace

void Print(std::string_view gbk)
{
    std::string utf8 = platform::text::GbkToUtf8(gbk);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

std::optional<platform::ui::Answer> ShownDriver::Next(const platform::ui::Request& request)
{
    using platform::ui::RequestKind;
    if (request.kind == RequestKind::Prompt)
        return inner_ ? inner_->Next(request) : std::nullopt;
    switch (request.kind) {
        case RequestKind::MessageBox: Print("\n[" + request.caption + "] " + request.text); break;
        case RequestKind::Dialog:
            Print(platform::text::Format("\n[dialog %u] %s", request.id, request.caption));
            if (request.window != nullptr)
                ShowWindowTexts(request.window);
            break;
        default:
            Print(platform::text::Format("\n[%s] %s %s", platform::ui::RequestKindName(request.kind), request.caption,
                                         request.text));
    }
    std::optional<platform::ui::Answer> answer = inner_ ? inner_->Next(request) : std::nullopt;
    if (!answer || answer->cancel)
        Print(answer ? " -> cancel" : " -> cancel (no answer)");
    else if (request.kind == RequestKind::MessageBox)
        Print(std::string(" -> ") + ButtonName(answer->button));
    else
        Print(" -> answered");
    return answer;
}

TerminalDriver::TerminalDriver(std::istream& in, std::ostream& out)
    : in_(in), console_(std::make_unique<platform::ui::ConsoleDriver>(in, out))
{
}

std::optional<platform::ui::Answer> TerminalDriver::Next(const platform::ui::Request& request)
{
    if (request.kind != platform::ui::RequestKind::Prompt)
        return console_->Next(request);
    std::string line;
    if (!std::getline(in_, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return platform::ui::PromptAnswer(platform::text::Utf8ToGbk(line));
}

std::optional<platform::ui::Answer> AnswersFirstDriver::Next(const platform::ui::Request& request)
{
    if (request.kind != platform::ui::RequestKind::Prompt && answers_)
        if (std::optional<platform::ui::Answer> answer = answers_->Next(request))
            return answer;
    return input_ ? input_->Next(request) : std::nullopt;
}

void BarWatcher::ShowNewBars()
{
    HWND frame = adsw_acadMainWnd();
    for (HWND child = GetWindow(frame, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        bool visible = IsWindowVisible(child);
        if (!visible) {
            shown_.erase(child);
            continue;
        }
        if (shown_.insert(child).second) {
            char title[256] = {};
            GetWindowTextA(child, title, sizeof title);
            Print(std::string("\n[bar] ") + title);
            ShowWindowTexts(child);
        }
    }
}

}  // namespace cadhost
