#include "browser/show_browser_command.h"

#include <cstddef>

#include "browser/item_list.h"
#include "platform/cad/prompts.h"
#include "platform/text/format.h"

namespace {

std::string PointText(const InfoPoint& p) { return platform::text::Format("(%g,%g)", p.x, p.y); }

std::string PointsText(const InfoPointList& points)
{
    std::string out;
    for (const InfoPoint& p : points)
        out += PointText(p);
    return out;
}

std::string LinkText(const CInfoItem& item, std::size_t k)
{
    switch (item.Kinds()[k]) {
        case CInfoItem::kObjects: {
            std::string out = " -> objects";
            for (const std::string& handle : item.HandleLists()[k])
                out += " " + handle;
            return out;
        }
        case CInfoItem::kLine: return " -> line " + PointText(item.LineStarts()[k]) + PointText(item.LineEnds()[k]);
        case CInfoItem::kPoint: return " -> point " + PointText(item.Points()[k]);
        case CInfoItem::kPolyline: return " -> polyline " + PointsText(item.Polylines()[k]);
        case CInfoItem::kRegion: {
            std::string out = " -> region";
            for (const InfoPointList& ring : item.Regions()[k])
                out += " [" + PointsText(ring) + "]";
            return out;
        }
        default: return "";
    }
}

}  // namespace

std::string DescribeItem(const CInfoItem& item)
{
    std::string out = "\n[" + item.Title() + "]";
    const std::string& text = item.Text();
    const auto& positions = item.TextPositions();
    for (std::size_t k = 0; k < item.EntryCount(); ++k) {
        // Entry k runs from position k up to the line break before position k + 1.
        std::size_t from = static_cast<std::size_t>(positions[k]);
        std::size_t to = static_cast<std::size_t>(positions[k + 1]) - 2;
        std::string entry = from <= to && to <= text.size() ? text.substr(from, to - from) : std::string();
        out += "\n  " + entry + LinkText(item, k);
    }
    return out;
}

void ShowBrowserCommand()
{
    for (const CInfoItem& item : BrowserItems())
        acutPrintf("%s", DescribeItem(item).c_str());
}
