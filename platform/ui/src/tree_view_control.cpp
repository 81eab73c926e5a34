// Tree views: items with text, state and data, expansion, selection and check boxes.
#include <algorithm>
#include <cstring>
#include <map>

#include "control_procs.h"
#include "platform/text/gbk.h"
#include "wide_items.h"
#include "window_system.h"

namespace platform::ui::detail {
namespace {

constexpr int kIndent = 19;
constexpr int kStateIconWidth = 16;

struct Node {
    std::string text;
    UINT state = 0;
    LPARAM param = 0;
    std::uintptr_t parent = 0;
    std::vector<std::uintptr_t> children;
};

struct TreeData : ControlData {
    std::map<std::uintptr_t, Node> nodes;  // by handle value; 0 is the invisible root
    std::uintptr_t next = 1;
    std::uintptr_t selected = 0;
    TreeData() { nodes[0] = Node{}; }
};

std::uintptr_t Id(HTREEITEM item) { return reinterpret_cast<std::uintptr_t>(item); }
HTREEITEM Handle(std::uintptr_t id) { return reinterpret_cast<HTREEITEM>(id); }
bool IsRootArg(HTREEITEM item) { return item == nullptr || item == TVI_ROOT; }

Node* NodeOf(TreeData& d, HTREEITEM item) {
    if (IsRootArg(item)) {
        return nullptr;
    }
    auto it = d.nodes.find(Id(item));
    return it == d.nodes.end() || it->first == 0 ? nullptr : &it->second;
}

void Erase(TreeData& d, std::uintptr_t id) {
    auto it = d.nodes.find(id);
    if (it == d.nodes.end()) {
        return;
    }
    for (auto child : std::vector<std::uintptr_t>(it->second.children)) {
        Erase(d, child);
    }
    if (id != 0) {
        auto& siblings = d.nodes[it->second.parent].children;
        std::erase(siblings, id);
        if (d.selected == id) {
            d.selected = 0;
        }
        d.nodes.erase(id);
    } else {
        it->second.children.clear();
        d.selected = 0;
    }
}

// The items a person sees, top to bottom, with their depth.
void Visible(const TreeData& d, std::uintptr_t id, int depth, std::vector<std::pair<std::uintptr_t, int>>& out) {
    const Node& node = d.nodes.at(id);
    for (auto child : node.children) {
        out.emplace_back(child, depth);
        if (d.nodes.at(child).state & TVIS_EXPANDED) {
            Visible(d, child, depth + 1, out);
        }
    }
}

void Select(HWND hwnd, std::uintptr_t id) {
    auto* d = Data<TreeData>(hwnd);
    if (!d || d->selected == id) {
        return;
    }
    NMTREEVIEWA record;
    record.itemOld.hItem = Handle(d->selected);
    record.itemNew.hItem = Handle(id);
    if (auto it = d->nodes.find(id); it != d->nodes.end()) {
        record.itemNew.lParam = it->second.param;
    }
    if (auto old = d->nodes.find(d->selected); old != d->nodes.end() && d->selected) {
        old->second.state &= ~TVIS_SELECTED;
    }
    d->selected = id;
    if (auto it = d->nodes.find(id); it != d->nodes.end() && id) {
        it->second.state |= TVIS_SELECTED;
    }
    NotifyParent(hwnd, record.hdr, TVN_SELCHANGEDA);
}

void HitTest(HWND hwnd, TreeData& d, TVHITTESTINFO& info) {
    info.hItem = nullptr;
    info.flags = 0;
    std::vector<std::pair<std::uintptr_t, int>> rows;
    Visible(d, 0, 0, rows);
    int row = info.pt.y / kRowHeight;
    if (info.pt.y < 0 || row >= static_cast<int>(rows.size())) {
        return;
    }
    auto [id, depth] = rows[static_cast<std::size_t>(row)];
    bool lines = (GetWindowLongA(hwnd, GWL_STYLE) & TVS_LINESATROOT) != 0;
    int left = (depth + (lines ? 1 : 0)) * kIndent;
    bool checks = (GetWindowLongA(hwnd, GWL_STYLE) & TVS_CHECKBOXES) != 0;
    if (checks && info.pt.x >= left && info.pt.x < left + kStateIconWidth) {
        info.flags = TVHT_ONITEMSTATEICON;
        info.hItem = Handle(id);
    } else if (info.pt.x >= left + (checks ? kStateIconWidth : 0)) {
        info.flags = TVHT_ONITEMLABEL;
        info.hItem = Handle(id);
    }
}

}  // namespace

LRESULT TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {  // wide twins
        case TVM_INSERTITEMW:
            return CallWithNarrowText(hwnd, &TreeViewProc, TVM_INSERTITEMA, wParam, lParam, lParam ? &reinterpret_cast<TVINSERTSTRUCTA*>(lParam)->item : nullptr, false);
        case TVM_SETITEMW:
            return CallWithNarrowText(hwnd, &TreeViewProc, TVM_SETITEMA, wParam, lParam, reinterpret_cast<TVITEMA*>(lParam), false);
        case TVM_GETITEMW:
            return CallWithNarrowText(hwnd, &TreeViewProc, TVM_GETITEMA, wParam, lParam, reinterpret_cast<TVITEMA*>(lParam), true);
        default:
            break;
    }
    auto self = Find(hwnd);
    if (!self) {
        return 0;
    }
    auto* d = Ensure<TreeData>(*self);
    bool checks = (GetWindowLongA(hwnd, GWL_STYLE) & TVS_CHECKBOXES) != 0;
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case TVM_INSERTITEMA: {
            auto* insert = reinterpret_cast<const TVINSERTSTRUCTA*>(lParam);
            if (!insert) {
                return 0;
            }
            std::uintptr_t parent = IsRootArg(insert->hParent) ? 0 : Id(insert->hParent);
            if (!d->nodes.count(parent)) {
                return 0;
            }
            Node node;
            node.parent = parent;
            if ((insert->item.mask & TVIF_TEXT) && insert->item.pszText) node.text = insert->item.pszText;
            if (insert->item.mask & TVIF_PARAM) node.param = insert->item.lParam;
            if (insert->item.mask & TVIF_STATE) {
                node.state = insert->item.state & insert->item.stateMask;
            }
            if (checks && !(node.state & TVIS_STATEIMAGEMASK)) {
                node.state |= INDEXTOSTATEIMAGEMASK(1);
            }
            std::uintptr_t id = d->next++;
            auto& siblings = d->nodes[parent].children;
            if (insert->hInsertAfter == TVI_FIRST) {
                siblings.insert(siblings.begin(), id);
            } else {
                auto it = std::find(siblings.begin(), siblings.end(), Id(insert->hInsertAfter));
                siblings.insert(it == siblings.end() ? siblings.end() : it + 1, id);
            }
            d->nodes[id] = std::move(node);
            return static_cast<LRESULT>(id);
        }
        case TVM_DELETEITEM: {
            HTREEITEM item = reinterpret_cast<HTREEITEM>(lParam);
            if (IsRootArg(item)) {
                Erase(*d, 0);
                return TRUE;
            }
            if (!NodeOf(*d, item)) {
                return FALSE;
            }
            Erase(*d, Id(item));
            return TRUE;
        }
        case TVM_GETCOUNT:
            return static_cast<LRESULT>(d->nodes.size() - 1);
        case TVM_EXPAND: {
            Node* node = NodeOf(*d, reinterpret_cast<HTREEITEM>(lParam));
            if (!node) {
                return FALSE;
            }
            UINT code = static_cast<UINT>(wParam) & 3;
            if (code == TVE_EXPAND) node->state |= TVIS_EXPANDED;
            if (code == TVE_COLLAPSE) node->state &= ~TVIS_EXPANDED;
            if (code == TVE_TOGGLE) node->state ^= TVIS_EXPANDED;
            return TRUE;
        }
        case TVM_GETNEXTITEM: {
            HTREEITEM item = reinterpret_cast<HTREEITEM>(lParam);
            switch (static_cast<UINT>(wParam)) {
                case TVGN_ROOT: {
                    auto& roots = d->nodes[0].children;
                    return roots.empty() ? 0 : static_cast<LRESULT>(roots.front());
                }
                case TVGN_CARET:
                    return static_cast<LRESULT>(d->selected);
                case TVGN_CHILD: {
                    auto& children = IsRootArg(item) ? d->nodes[0].children
                                                     : (NodeOf(*d, item) ? NodeOf(*d, item)->children
                                                                         : d->nodes[0].children);
                    if (!IsRootArg(item) && !NodeOf(*d, item)) {
                        return 0;
                    }
                    return children.empty() ? 0 : static_cast<LRESULT>(children.front());
                }
                case TVGN_PARENT: {
                    Node* node = NodeOf(*d, item);
                    return node ? static_cast<LRESULT>(node->parent) : 0;
                }
                case TVGN_NEXT:
                case TVGN_PREVIOUS: {
                    Node* node = NodeOf(*d, item);
                    if (!node) {
                        return 0;
                    }
                    auto& siblings = d->nodes[node->parent].children;
                    auto it = std::find(siblings.begin(), siblings.end(), Id(item));
                    if (wParam == TVGN_NEXT) {
                        return (it == siblings.end() || it + 1 == siblings.end()) ? 0 : static_cast<LRESULT>(*(it + 1));
                    }
                    return it == siblings.begin() ? 0 : static_cast<LRESULT>(*(it - 1));
                }
                default:
                    return 0;
            }
        }
        case TVM_SELECTITEM: {
            HTREEITEM item = reinterpret_cast<HTREEITEM>(lParam);
            if (item && !NodeOf(*d, item)) {
                return FALSE;
            }
            Select(hwnd, item ? Id(item) : 0);
            return TRUE;
        }
        case TVM_GETITEMA:
        case TVM_SETITEMA: {
            auto* item = reinterpret_cast<TVITEMA*>(lParam);
            Node* node = item ? NodeOf(*d, item->hItem) : nullptr;
            if (!node) {
                return FALSE;
            }
            if (msg == TVM_SETITEMA) {
                if ((item->mask & TVIF_TEXT) && item->pszText) node->text = item->pszText;
                if (item->mask & TVIF_PARAM) node->param = item->lParam;
                if (item->mask & TVIF_STATE) node->state = (node->state & ~item->stateMask) | (item->state & item->stateMask);
                return TRUE;
            }
            if ((item->mask & TVIF_TEXT) && item->pszText && item->cchTextMax > 0) {
                std::string cut = platform::text::TruncateGbk(node->text, static_cast<std::size_t>(item->cchTextMax - 1));
                std::memcpy(item->pszText, cut.data(), cut.size());
                item->pszText[cut.size()] = '\0';
            }
            if (item->mask & TVIF_PARAM) item->lParam = node->param;
            if (item->mask & TVIF_STATE) item->state = node->state & item->stateMask;
            item->cChildren = node->children.empty() ? 0 : 1;
            return TRUE;
        }
        case TVM_GETITEMSTATE: {
            Node* node = NodeOf(*d, reinterpret_cast<HTREEITEM>(wParam));
            return node ? static_cast<LRESULT>(node->state & static_cast<UINT>(lParam)) : 0;
        }
        case TVM_HITTEST: {
            auto* info = reinterpret_cast<TVHITTESTINFO*>(lParam);
            if (!info) {
                return 0;
            }
            HitTest(hwnd, *d, *info);
            return reinterpret_cast<LRESULT>(info->hItem);
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            SetFocus(hwnd);
            TVHITTESTINFO info;
            info.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            HitTest(hwnd, *d, info);
            // The parent sees the click first, with the check state as it was.
            NMHDR header;
            NotifyParent(hwnd, header, msg == WM_LBUTTONDOWN ? NM_CLICK : NM_DBLCLK);
            auto* again = Data<TreeData>(hwnd);
            if (!again || !info.hItem) {
                return 0;
            }
            Node* node = NodeOf(*again, info.hItem);
            if (!node) {
                return 0;
            }
            if (msg == WM_LBUTTONDOWN && info.flags == TVHT_ONITEMSTATEICON) {
                UINT state = node->state & TVIS_STATEIMAGEMASK;
                node->state = (node->state & ~TVIS_STATEIMAGEMASK) |
                              (state == INDEXTOSTATEIMAGEMASK(2) ? INDEXTOSTATEIMAGEMASK(1) : INDEXTOSTATEIMAGEMASK(2));
            } else if (msg == WM_LBUTTONDOWN) {
                Select(hwnd, Id(info.hItem));
            } else {
                node->state ^= TVIS_EXPANDED;
            }
            return 0;
        }
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui::detail
