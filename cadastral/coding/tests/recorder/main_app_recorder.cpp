// A module for the tests that stands where the product's main drawing application stands: it
// registers the four commands and two LISP functions the toolkit runs by name, reads their items
// at the prompts, and logs each call on the command line (name, items, entities by handle). It
// changes nothing in the drawing; the two export functions also leave small files in their folder.
// Its own command PATCHESIN uses the toolkit as the main application does: the map patches inside
// an outline, by "ssfromnodeswp" and the function DeroPelgar exports for taking them.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/cad/selection.h"
#include "platform/win/file_handles.h"
#include "platform/win/files.h"

namespace {

constexpr const char* kGroup = "MAINAPPRECORDER";
enum Function : short { kExportShp = 1, kQwert = 2 };

std::string Handle(const ads_name name) {
    AcDbObjectId id;
    if (acdbGetObjectId(id, name) != Acad::eOk || id.isNull())
        return "?";
    return id.handle().text();
}

void Log(const std::string& line) {
    acutPrintf("\n[recorder] %s", line.c_str());
}

std::string ReadText() {
    char text[260] = "";
    int rc = acedGetString(1, "", text, sizeof text);
    return rc == RTNORM ? "\"" + std::string(text) + "\"" : rc == RTNONE ? "\"\"" : "<none>";
}

void ExplodeGcd() {
    std::string first = ReadText();
    std::string second = ReadText();
    Log("EXPLODEGCD " + first + " " + second);
}
void AreaPretreat() {
    Log("AREAPRETREAT");
}
void FindZeroAreaTb() {
    Log("FindZeroAreaTB");
}
void Redero() {
    ads_name entity{};
    ads_point at{};
    int number = 0;
    std::string picked = acedEntSel("", entity, at) == RTNORM ? Handle(entity) : "<none>";
    std::string value = acedGetInt("", &number) == RTNORM ? std::to_string(number) : "<none>";
    Log("REDERO " + picked + " " + value);
}

// Asks DeroPelgar for the patches inside the picked outline and takes them by the key it answers;
// logs their handles in order, and whether the same key gives them a second time.
void PatchesIn() {
    using TakePatches = AcDbObjectIdArray* (*)(std::int32_t key);
    ads_name outline{};
    ads_point at{};
    if (acedEntSel("", outline, at) != RTNORM) return;
    resbuf* args = acutBuildList(RTSTR, "ssfromnodeswp", RTSTR, "VantoCQRMP", RTENAME, outline, RTNONE);
    resbuf* result = nullptr;
    const int status = acedInvoke(args, &result);
    acutRelRb(args);
    const bool keyed = status == RTNORM && result != nullptr && result->restype == RTLONG;
    const std::int32_t key = keyed ? result->resval.rlong : 0;
    acutRelRb(result);
    auto take = reinterpret_cast<TakePatches>(
        acrxDynamicLinker->getSymbolAddress("DeroPelgar", "ssfromnodeswpTakePatches"));
    if (!keyed || take == nullptr) {
        Log(keyed ? "PATCHESIN no export" : "PATCHESIN nil");
        return;
    }
    std::unique_ptr<AcDbObjectIdArray> patches(take(key));
    std::vector<std::string> handles;
    if (patches != nullptr)
        for (const AcDbObjectId& id : *patches) handles.push_back(id.handle().text());
    std::sort(handles.begin(), handles.end());
    std::string line = patches != nullptr ? "PATCHESIN" : "PATCHESIN <none>";
    for (const std::string& handle : handles) line += " " + handle;
    const std::unique_ptr<AcDbObjectIdArray> again(take(key));
    Log(line + (again != nullptr ? ", again" : ", taken"));
}

std::string Describe(const resbuf* item) {
    switch (item->restype) {
        case RTSTR:
            return "\"" + std::string(item->resval.rstring != nullptr ? item->resval.rstring : "") + "\"";
        case RTSHORT:
            return "short " + std::to_string(item->resval.rint);
        case RTLONG:
            return "long " + std::to_string(item->resval.rlong);
        case RTENAME:
            return "entity " + Handle(item->resval.rlname);
        case RTPICKS: {
            std::string set = "set(";
            Adesk::Int32 n = 0;
            acedSSLength(item->resval.rlname, &n);
            for (Adesk::Int32 i = 0; i < n; ++i) {
                ads_name member{};
                if (acedSSName(item->resval.rlname, i, member) == RTNORM)
                    set += (i > 0 ? " " : "") + Handle(member);
            }
            return set + ")";
        }
        default:
            return "type " + std::to_string(item->restype);
    }
}

// Stands for the shapefiles the main application writes: a small file named after the call in the
// folder it is given, and one more in the subfolder named by DERO_RECORDER_SUBFOLDER when that is set.
void WriteExportFile(const std::string& folder, const std::string& name, const std::string& bytes) {
    const std::string path = folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Log("cannot write " + path);
        return;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void WriteExportFiles(const std::string& call, const std::string& line) {
    const resbuf* args = acedGetArgs();
    if (args == nullptr || args->rbnext == nullptr || args->rbnext->restype != RTSTR) return;
    const std::string folder = args->rbnext->resval.rstring != nullptr ? args->rbnext->resval.rstring : "";
    WriteExportFile(folder, call + ".shp", line + "\n");
    WriteExportFile(folder, call + ".dbf", std::string(3000, 'x') + line);
    if (const char* sub = std::getenv("DERO_RECORDER_SUBFOLDER"); sub != nullptr && *sub != '\0') {
        const std::string inner = folder + (folder.back() == '\\' ? "" : "\\") + sub;
        CreateDirectoryA(inner.c_str(), nullptr);
        WriteExportFile(inner, call + ".prj", "inner");
    }
}

int Called() {
    int code = acedGetFunCode();
    std::string line = code == kExportShp ? "ss_exportshp" : code == kQwert ? "qwert" : "?";
    for (const resbuf* item = acedGetArgs(); item != nullptr; item = item->rbnext)
        line += " " + Describe(item);
    Log(line);
    if (code == kExportShp || code == kQwert) WriteExportFiles(code == kExportShp ? "ss_exportshp" : "qwert", line);
    acedRetNil();
    return RSRSLT;
}

template <void (*Command)()>
void Guarded() {
    try {
        Command();
    } catch (...) {
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void* appId) {
    switch (msg) {
        case AcRx::kInitAppMsg:
            acrxDynamicLinker->unlockApplication(appId);
            acedRegCmds->addCommand(kGroup, "EXPLODEGCD", "EXPLODEGCD", ACRX_CMD_MODAL, Guarded<ExplodeGcd>);
            acedRegCmds->addCommand(kGroup, "AREAPRETREAT", "AREAPRETREAT", ACRX_CMD_MODAL,
                                    Guarded<AreaPretreat>);
            acedRegCmds->addCommand(kGroup, "FindZeroAreaTB", "FindZeroAreaTB", ACRX_CMD_MODAL,
                                    Guarded<FindZeroAreaTb>);
            acedRegCmds->addCommand(kGroup, "REDERO", "REDERO", ACRX_CMD_MODAL, Guarded<Redero>);
            acedRegCmds->addCommand(kGroup, "PATCHESIN", "PATCHESIN", ACRX_CMD_MODAL, Guarded<PatchesIn>);
            break;
        case AcRx::kUnloadAppMsg:
            acedRegCmds->removeGroup(kGroup);
            break;
        case AcRx::kLoadDwgMsg:
            acedDefun("ss_exportshp", kExportShp);
            acedDefun("qwert", kQwert);
            break;
        case AcRx::kUnloadDwgMsg:
            acedUndef("ss_exportshp", kExportShp);
            acedUndef("qwert", kQwert);
            break;
        case AcRx::kInvkSubrMsg:
            return Called() == RSRSLT ? AcRx::kRetOK : AcRx::kRetError;
        default:
            break;
    }
    return AcRx::kRetOK;
}

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() {
    return ACRX_API_VERSION;
}
