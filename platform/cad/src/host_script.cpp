#include "platform/cad/host_script.h"

#include <cctype>

#include "platform/cad/command_processor.h"
#include "platform/cad/host_exit.h"
#include "platform/cad/resbuf.h"
#include "platform/text/encoding.h"
#include "platform/text/format.h"

namespace platform::cad {

std::vector<std::string> HostScript::SplitUtf8(std::string_view utf8)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t end = utf8.find('\n', pos);
        std::string_view line = utf8.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(text::Utf8ToGbk(line));
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
    return lines;
}

std::optional<ui::Answer> HostScript::Next(const ui::Request& request)
{
    // Prompts read the script, and so does the folder browser when the next line is a drive path
    // or "^C" (a person can type a path there); a box, a dialog or a browser the script does not
    // answer is cancelled by the answer source.
    const bool folder = request.kind == ui::RequestKind::Folder;
    if ((request.kind != ui::RequestKind::Prompt && !folder) || next_ >= lines_.size())
        return std::nullopt;
    if (folder) {
        const std::string& next = lines_[next_];
        const bool drivePath = next.size() >= 2 && std::isalpha(static_cast<unsigned char>(next[0])) && next[1] == ':';
        if (!drivePath && next != "^C")
            return std::nullopt;
    }
    const std::string& line = lines_[next_++];
    if (line == "^C")
        return ui::CancelAnswer(request.kind);
    return folder ? ui::FolderAnswer(line) : ui::PromptAnswer(line);
}

std::optional<std::string> HostScript::NextCommand()
{
    if (next_ >= lines_.size())
        return std::nullopt;
    return lines_[next_++];
}

ScriptResult RunHostScript(HostScript& script)
{
    ScriptResult result;
    result.status = RTNORM;
    while (!HostExitRequested()) {
        std::optional<std::string> line = script.NextCommand();
        if (!line)
            break;
        if (*line == "^C")
            continue;  // a cancel at the command prompt cancels nothing
        int status = RunCommandLine(*line);
        if (status == RTERROR) {
            result.status = status;
            result.line = script.LineNumber();
            result.message = text::Format("script line %d: \"%s\" failed", static_cast<int>(result.line), *line);
            break;
        }
    }
    return result;
}

}  // namespace platform::cad
