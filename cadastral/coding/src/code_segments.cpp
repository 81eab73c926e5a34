#include "cadastral/code_segments.h"

#include "platform/text/gbk.h"

namespace cadastral {

bool CCodeSegments::AddSegment(const std::string& name, int width) {
    if (name.empty() || width < -1)
        return false;
    for (const std::string& known : names_) {
        if (platform::text::GbkEqualNoCase(known, name))
            return false;
    }
    names_.push_back(name);
    widths_.push_back(width);
    return true;
}

bool CCodeSegments::SetCode(const std::string& code) {
    int length = static_cast<int>(code.size());
    bool fits = ElasticIndex() < 0 ? length == FixedWidth() : length >= FixedWidth();
    if (fits)
        code_ = code;
    return fits;
}

int CCodeSegments::FixedWidth() const {
    int sum = 0;
    for (int width : widths_)
        sum += width > 0 ? width : 0;
    return sum;
}

int CCodeSegments::WidthSum(int first, int last) const {
    int sum = 0;
    for (int i = first < 0 ? 0 : first; i <= last && i < Count(); ++i)
        sum += widths_[i];
    return sum;
}

int CCodeSegments::ElasticIndex() const {
    for (int i = 0; i < Count(); ++i) {
        if (widths_[i] == -1)
            return i;
    }
    return -1;
}

bool CCodeSegments::SegmentRange(int index, int& first, int& last) const {
    if (index < 0 || index >= Count())
        return false;
    const int length = static_cast<int>(code_.size());
    const int elastic = ElasticIndex();
    if (elastic >= 0 && index == elastic) {
        first = WidthSum(0, index - 1);
        last = length + first - FixedWidth() - 1;
    } else if (elastic >= 0 && index > elastic) {
        // Segments after the elastic one are counted from the end of the code.
        last = length - WidthSum(index + 1, Count() - 1) - 1;
        first = last - widths_[index] + 1;
    } else {
        first = WidthSum(0, index - 1);
        last = first + widths_[index] - 1;
    }
    return true;
}

int CCodeSegments::SegmentLength(int index) const {
    if (index < 0 || index >= Count())
        return -1;
    if (widths_[index] != -1)
        return widths_[index];
    int first = 0, last = -1;
    SegmentRange(index, first, last);
    return last - first + 1;
}

std::string RepeatText(const std::string& text, int n) {
    std::string repeated;
    for (int i = 0; i < n; ++i)
        repeated += text;
    return repeated;
}

CCodeSegments BuildParcelCodeSegments() {
    CCodeSegments layout;
    layout.AddSegment("行政区划", 6);
    layout.AddSegment("街道号", 3);
    layout.AddSegment("街坊号", 3);
    layout.AddSegment("基本宗地号", 4);
    layout.AddSegment("宗地支号", 3);
    layout.SetCode(RepeatText("0", 19));
    return layout;
}

}  // namespace cadastral
