#include "gisexchange/save_commands.h"

#include <cstdlib>

#include "drawingutil/drawing_scale.h"
#include "gisexchange/category_export.h"
#include "gisexchange/folder_dialog.h"
#include "gisexchange/table_export.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/ge_matrix3d.h"
#include "platform/win/process_exit.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/prompts.h"
#include "platform/cad/system_variables.h"
#include "platform/text/gbk.h"
#include "platform/win/files.h"

namespace gisexchange {
namespace {

// Whether the text ends in a backslash that is a character of its own, not a trail byte.
bool EndsWithSeparator(const std::string& text)
{
    return !text.empty() && text.back() == '\\' && platform::text::IsGbkCharBoundary(text, text.size() - 1);
}

// The byte position of the last backslash character; npos when none.
std::size_t LastSeparator(std::string_view text)
{
    std::size_t found = std::string_view::npos;
    for (std::size_t at = 0; at < text.size(); at += platform::text::GbkCharLength(text, at))
        if (text[at] == '\\')
            found = at;
    return found;
}

// Echo is turned off for the command's own host commands and back on whichever way it ends.
class EchoOff {
public:
    EchoOff() { acedCommand(RTSTR, "CMDECHO", RTSTR, "0", RTNONE); }
    ~EchoOff() { acedCommand(RTSTR, "CMDECHO", RTSTR, "1", RTNONE); }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
};

std::string TextVariable(const char* name)
{
    resbuf value{};
    if (acedGetVar(name, &value) != RTNORM || value.restype != RTSTR || value.resval.rstring == nullptr)
        return {};
    std::string text = value.resval.rstring;
    std::free(value.resval.rstring);
    return text;
}

// The unattended export never asks: a drawing without a scale is taken at 1:500.
void EnsureDrawingScale()
{
    resbuf value{};
    if (acedGetVar("userr1", &value) == RTNORM && value.resval.rreal >= 3)
        return;
    resbuf scale{};
    scale.restype = RTREAL;
    scale.resval.rreal = 500;
    acedSetVar("userr1", &scale);
    acedCommand(RTSTR, "LTSCALE", RTREAL, 0.5, RTNONE);
}

void EndHost(const char* why)
{
    if (why != nullptr)
        acutPrintf("%s", why);
    ExitProcess(1);
}

}  // namespace

bool ChooseFolder(const char* title, std::string& path)
{
    CFolderDialog dialog("Dero2008", title, nullptr, CWnd::FromHandle(adsw_acadMainWnd()));
    if (dialog.DoModal() != 1)
        return false;
    path = dialog.GetPath();
    if (!EndsWithSeparator(path))
        path += '\\';
    return true;
}

std::string FileTitleUpper(std::string_view path, std::string_view extension)
{
    const std::size_t separator = LastSeparator(path);
    std::string title = platform::text::GbkToUpper(separator == std::string_view::npos ? path : path.substr(separator + 1));
    const std::string ending = platform::text::GbkToUpper(extension);
    if (!ending.empty() && title.size() >= ending.size() && title.compare(title.size() - ending.size(), ending.size(), ending) == 0 &&
        platform::text::IsGbkCharBoundary(title, title.size() - ending.size()))
        title.resize(title.size() - ending.size());
    return title;
}

void MapGisSave()
{
    ExportByCategory();
}

void MapGisSaveT()
{
    EchoOff echo;
    ExportSettings().arcStepDegrees = 6;
    std::string folder;
    if (!ChooseFolder("选择目录", folder))
        return;
    acutPrintf("\nMapGis文件存储路径:%s", folder.c_str());
    char name[260] = {};
    if (acedGetString(0, "\n请输入工程名,< >:", name, sizeof name) != RTNORM)
        return;
    if (!EndsWithSeparator(folder))
        folder += '\\';
    bool written = false;
    if (name[0] != '\0') {
        if (!IsValidProjectName(name)) {
            acutPrintf("\n工程名 %s 不能作文件名, 没有导出", name);
            return;
        }
        ResetExportState();
        double scale = 0;
        GetDrawingScale(scale);
        ExportSettings().sizeFactor = scale * 0.001;
        written = ExportDrawingToGis(folder.c_str(), name, 0);
    }
    acedCommand(RTSTR, "Kelvo_Show", RTNONE);
    if (name[0] == '\0')
        acutPrintf("\n工程名为空, 没有导出文件");
    else if (written)
        acutPrintf("\nMapGis文件被成功存储到:%s 文件夹中", folder.c_str());
    else
        acutPrintf("\n工程文件没有写入, 详见 %s", kExportReportTitle);
}

void MapGisSaveX()
{
    const std::string drawing = TextVariable("users5");
    const std::string project = TextVariable("users4");
    if (drawing.size() <= 5 || project.size() <= 5)
        return EndHost("\nUSERS5 或 USERS4 没有给出图形或工程文件, 退出");
    std::string ending = project.substr(project.size() - 4);
    for (char& c : ending)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (ending != ".mpj" || !platform::text::IsGbkCharBoundary(project, project.size() - 4))
        return EndHost("\nUSERS4 不是 .mpj 工程文件, 退出");
    const std::size_t separator = LastSeparator(project);
    std::string folder = separator == std::string::npos ? std::string() : project.substr(0, separator);
    const std::string name = FileTitleUpper(project, ".mpj");
    if (folder.empty())
        return EndHost("\nUSERS4 没有给出工程文件所在的目录, 退出");
    if (!IsValidProjectName(name))
        return EndHost("\n工程名不能作文件名, 退出");

    {
        AcDbDatabase side(false, true);
        if (side.readDwgFile(drawing.c_str()) != Acad::eOk) {
            acutPrintf("\n导入 dwg 文件失败");
            return;
        }
        AcDbDatabase* current = acdbHostApplicationServices()->workingDatabase();
        if (current == nullptr) {
            acutPrintf("\n导入 dxf 文件失败，请确认 dxf 文件格式是否正确!");
            return;
        }
        // The current drawing takes the scale of the drawing brought in.
        resbuf scale{};
        scale.restype = RTREAL;
        scale.resval.rreal = side.userr1();
        acedSetVar("userr1", &scale);
        if (current->insert(AcGeMatrix3d::kIdentity, &side, true) != Acad::eOk) {
            acutPrintf("\n导入 dxf 文件失败，请确认 dxf 文件格式是否正确!");
            return;
        }
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    ExportSettings().arcStepDegrees = 6;
    folder += '\\';
    EnsureDrawingScale();
    ResetExportState();
    if (!ExportDrawingToGis(folder.c_str(), name.c_str(), 0))
        return EndHost("\n工程文件没有写入, 退出");
    EndHost("\nMapGis 文件已写入, 退出");
}

}  // namespace gisexchange
