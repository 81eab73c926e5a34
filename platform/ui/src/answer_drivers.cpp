// Script and console drivers: answers written in words.
#include "platform/ui/answer_drivers.h"

#include <cstdio>
#include <cstdlib>
#include <istream>
#include <ostream>

#include "message_box_buttons.h"
#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/ui_driver.h"

namespace platform::ui {
namespace {

std::string Trim(std::string_view s) {
    std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) {
        return {};
    }
    std::size_t e = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(b, e - b + 1));
}

std::pair<std::string, std::string> SplitWord(const std::string& line) {
    std::size_t space = line.find(' ');
    if (space == std::string::npos) {
        return {text::GbkToLower(line), {}};
    }
    return {text::GbkToLower(line.substr(0, space)), Trim(line.substr(space + 1))};
}

std::function<void(UiDriver&)> ActionsOf(const std::string& text) {
    std::vector<std::string> actions = SplitActions(text);
    return [actions](UiDriver& driver) {
        for (const auto& action : actions) {
            std::string error;
            if (!driver.Run(action, &error) && !error.empty()) {
                AppendTranscript("  action failed: " + error);
            }
        }
    };
}

// "[ID]: ACTIONS" after dialog or folder; false when it is not of that form.
bool ParseActions(const std::string& rest, UINT& id, std::string& actions) {
    std::size_t colon = text::GbkFind(rest, ':');
    if (colon == std::string::npos) {
        return false;
    }
    std::string head = Trim(rest.substr(0, colon));
    if (!head.empty()) {
        char* end = nullptr;
        long value = std::strtol(head.c_str(), &end, 10);
        if (*end != '\0' || value <= 0) {
            return false;
        }
        id = static_cast<UINT>(value);
    }
    actions = Trim(rest.substr(colon + 1));
    return true;
}

RequestKind KindOf(const std::string& word, bool& ok) {
    ok = true;
    for (RequestKind k : {RequestKind::MessageBox, RequestKind::Dialog, RequestKind::OpenFile, RequestKind::SaveFile,
                          RequestKind::Folder, RequestKind::Font, RequestKind::Color, RequestKind::Menu,
                          RequestKind::Prompt}) {
        if (word == RequestKindName(k)) {
            return k;
        }
    }
    ok = false;
    return RequestKind::MessageBox;
}

// One answer from one line (GBK), or an error message.
std::optional<Answer> ParseLine(const std::string& line, std::string& error) {
    auto [word, rest] = SplitWord(line);
    if (word.size() > 1 && word.back() == ':') {
        word.pop_back();
        rest = ": " + rest;
    }
    if (word == "box") {
        int button = detail::ParseButton(rest);
        if (button == 0) {
            error = "unknown button \"" + rest + "\"";
            return std::nullopt;
        }
        return BoxAnswer(button);
    }
    if (word == "dialog" || (word == "folder" && text::GbkFind(rest, ':') != std::string::npos && rest.size() > 1 &&
                             rest[1] != ':')) {
        UINT id = 0;
        std::string actions;
        if (!ParseActions(rest, id, actions)) {
            error = "expected " + word + " [ID]: ACTIONS";
            return std::nullopt;
        }
        Answer a = DialogAnswer(id, ActionsOf(actions), actions.empty() ? "no actions" : actions);
        if (word == "folder") {
            a.kind = RequestKind::Folder;
        }
        return a;
    }
    if (word == "open") {
        std::vector<std::string> paths;
        std::size_t from = 0;
        for (;;) {
            std::size_t bar = text::GbkFind(rest, '|', from);
            paths.push_back(Trim(rest.substr(from, bar == std::string::npos ? std::string::npos : bar - from)));
            if (bar == std::string::npos) {
                break;
            }
            from = bar + 1;
        }
        std::erase_if(paths, [](const std::string& p) { return p.empty(); });
        if (paths.empty()) {
            error = "open needs a path";
            return std::nullopt;
        }
        return OpenFileAnswer(paths);
    }
    if (word == "save" || word == "folder" || word == "prompt") {
        if (word != "prompt" && rest.empty()) {
            error = word + " needs a path";
            return std::nullopt;
        }
        return word == "save" ? SaveFileAnswer(rest) : word == "folder" ? FolderAnswer(rest) : PromptAnswer(rest);
    }
    if (word == "font") {
        std::vector<std::string> parts;
        std::string current;
        for (char c : rest + " ") {
            if (c == ' ') {
                if (!current.empty()) parts.push_back(current);
                current.clear();
            } else {
                current += c;
            }
        }
        if (parts.size() < 2 || std::atoi(parts[1].c_str()) <= 0) {
            error = "expected font FACE POINTS [bold] [italic]";
            return std::nullopt;
        }
        FontChoice f;
        f.face = parts[0];
        f.pointSize = std::atoi(parts[1].c_str());
        for (std::size_t i = 2; i < parts.size(); ++i) {
            f.bold = f.bold || parts[i] == "bold";
            f.italic = f.italic || parts[i] == "italic";
        }
        return FontAnswer(f);
    }
    if (word == "color") {
        int r = -1;
        int g = -1;
        int b = -1;
        if (std::sscanf(rest.c_str(), "%d %d %d", &r, &g, &b) != 3 || r < 0 || r > 255 || g < 0 || g > 255 || b < 0 ||
            b > 255) {
            error = "expected color R G B (0 to 255)";
            return std::nullopt;
        }
        return ColorAnswer(RGB(r, g, b));
    }
    if (word == "menu") {
        char* end = nullptr;
        long id = std::strtol(rest.c_str(), &end, 10);
        if (rest.empty() || *end != '\0' || id <= 0) {
            error = "expected menu COMMAND-ID";
            return std::nullopt;
        }
        return MenuAnswer(static_cast<UINT>(id));
    }
    if (word == "cancel") {
        if (rest.empty()) {
            Answer a = CancelAnswer(RequestKind::MessageBox);
            a.anyKind = true;
            return a;
        }
        bool ok = false;
        RequestKind kind = KindOf(text::GbkToLower(rest), ok);
        if (!ok) {
            error = "unknown kind \"" + rest + "\"";
            return std::nullopt;
        }
        return CancelAnswer(kind);
    }
    error = "unknown answer \"" + word + "\"";
    return std::nullopt;
}

}  // namespace

std::shared_ptr<AnswerQueue> ParseAnswerScript(std::string_view utf8, std::string* error) {
    auto queue = std::make_shared<AnswerQueue>();
    std::size_t number = 0;
    std::size_t from = 0;
    while (from <= utf8.size()) {
        std::size_t eol = utf8.find('\n', from);
        std::string_view raw = utf8.substr(from, eol == std::string_view::npos ? std::string_view::npos : eol - from);
        from = eol == std::string_view::npos ? utf8.size() + 1 : eol + 1;
        ++number;
        std::string line = Trim(text::Utf8ToGbk(raw));
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::string message;
        auto answer = ParseLine(line, message);
        if (!answer) {
            if (error) {
                *error = text::GbkToUtf8(text::Format("line %u: %s", static_cast<unsigned>(number), message));
            }
            return nullptr;
        }
        queue->Push(std::move(*answer));
    }
    return queue;
}

std::optional<Answer> ConsoleDriver::Next(const Request& request) {
    auto say = [&](const std::string& gbk) { out_ << text::GbkToUtf8(gbk) << "\n"; };
    switch (request.kind) {
        case RequestKind::MessageBox:
            say(text::Format("[%s] %s", request.caption, request.text));
            say(text::Format("answer with one of: %s", detail::ButtonsName(request.type)));
            break;
        case RequestKind::Dialog:
            say(text::Format("dialog %u \"%s\":", request.id, request.caption));
            for (auto& line : UiDriver(request.window).Describe()) {
                say("  " + line);
            }
            say("actions (set ID TEXT, click ID, ...), an empty line or \"done\" to finish:");
            break;
        default:
            say(text::Format("%s \"%s\" %s", RequestKindName(request.kind), request.caption, request.text));
            if (request.window) {
                for (auto& line : UiDriver(request.window).Describe()) {
                    say("  " + line);
                }
            }
            for (auto& choice : request.choices) {
                say("  " + choice);
            }
            break;
    }
    out_.flush();
    std::string line;
    if (request.kind == RequestKind::Dialog) {
        std::vector<std::string> actions;
        while (std::getline(in_, line)) {
            std::string gbk = Trim(text::Utf8ToGbk(line));
            if (gbk.empty() || gbk == "done") {
                break;
            }
            actions.push_back(gbk);
        }
        if (actions.empty() && !in_) {
            return std::nullopt;
        }
        std::string joined;
        for (auto& a : actions) {
            joined += (joined.empty() ? "" : "; ") + a;
        }
        return DialogAnswer(request.id, ActionsOf(joined), joined);
    }
    if (!std::getline(in_, line)) {
        return std::nullopt;
    }
    std::string gbk = Trim(text::Utf8ToGbk(line));
    std::string error;
    std::optional<Answer> answer;
    if (request.kind == RequestKind::MessageBox) {
        answer = ParseLine("box " + gbk, error);
    } else if (request.kind == RequestKind::Prompt) {
        answer = PromptAnswer(gbk);
    } else {
        answer = ParseLine(std::string(RequestKindName(request.kind)) + " " + gbk, error);
    }
    if (!answer) {
        say("not understood: " + error);
    }
    return answer;
}

}  // namespace platform::ui
