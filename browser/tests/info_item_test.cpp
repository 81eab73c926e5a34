#include "browser/info_item.h"

#include <gtest/gtest.h>

#include "browser/byte_stream.h"

namespace {

std::vector<std::uint8_t> Image(const CInfoItem& item) {
    CByteStream stream;
    EXPECT_TRUE(item.Write(stream));
    return stream.WriteBuffer();
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// An item with one entry of every link kind and GBK text.
CInfoItem EveryKind() {
    CInfoItem item;
    item.SetTitle("房屋闭合检查");
    item.AppendItemText("未闭合房屋: 3个");
    item.AppendItemText("实体");
    item.AddObjectLinks({"2F", "1A0"});
    item.AppendItemText("线");
    item.AddLineLink({3400000.125, 500000.5}, {3400010.0, 500020.25});
    item.AppendItemText("点 100%");
    item.AddPointLink({1.5, -2.5});
    item.AppendItemText("多段线");
    item.AddPolylineLink({{0, 0}, {1, 0}, {1, 1}});
    item.AppendItemText("区域");
    item.AddRegionLink({{{0, 0}, {4, 0}, {4, 4}}, {}, {{1, 1}, {2, 1}, {2, 2}}});
    return item;
}

TEST(InfoItem, EntriesAndTextPositions) {
    CInfoItem item;
    item.AddPointLink({1, 2});  // no entry yet: nothing happens
    EXPECT_EQ(item.EntryCount(), 0u);
    item.AppendItemText("ab");
    item.AppendItemText("cde");
    EXPECT_EQ(item.Text(), "ab\r\ncde");
    EXPECT_EQ(item.TextPositions(), (std::vector<std::int32_t>{0, 4, 9}));
    item.AddLineLink({1, 2}, {3, 4});
    EXPECT_EQ(item.Kinds(), (std::vector<std::int32_t>{CInfoItem::kText, CInfoItem::kLine}));
    EXPECT_EQ(item.LineEnds().back(), (InfoPoint{3, 4}));
    EXPECT_EQ(item.Points().size(), 2u);

    item.SetTitle("T");
    item.Clear();
    EXPECT_EQ(item.Title(), "T");
    EXPECT_EQ(item.Text(), "");
    EXPECT_EQ(item.EntryCount(), 0u);
    EXPECT_TRUE(item.TextPositions().empty());
    EXPECT_TRUE(item.Regions().empty());
}

TEST(InfoItem, ImageOfOneTextEntryIsExact) {
    CInfoItem item;
    item.SetTitle("A");
    item.AppendItemText("x");
    std::vector<std::uint8_t> expected = Bytes({1, 0, 0, 0, 0x41, 1, 0, 0, 0, 0x78});
    Append(expected, Bytes({1, 0, 0, 0, 0, 0, 0, 0}));              // kinds
    Append(expected, Bytes({2, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0}));  // text positions
    Append(expected, Bytes({1, 0, 0, 0, 0, 0, 0, 0}));              // handle lists
    for (int i = 0; i < 3; ++i) {                                   // line starts, ends, points
        Append(expected, Bytes({1, 0, 0, 0}));
        Append(expected, std::vector<std::uint8_t>(16, 0));
    }
    Append(expected, Bytes({1, 0, 0, 0, 0, 0, 0, 0}));  // polylines
    Append(expected, Bytes({1, 0, 0, 0, 0, 0, 0, 0}));  // regions
    EXPECT_EQ(Image(item), expected);

    CInfoItem empty;
    std::vector<std::uint8_t> image = Image(empty);
    EXPECT_EQ(image, std::vector<std::uint8_t>(40, 0));  // ten empty counts
}

TEST(InfoItem, EveryLinkKindRoundTrips) {
    const std::vector<CInfoItem> items{EveryKind(), CInfoItem(), EveryKind()};
    CByteStream out;
    ASSERT_TRUE(WriteInfoItems(out, items));
    CByteStream in(out.WriteBuffer());
    std::vector<CInfoItem> read;
    ASSERT_TRUE(ReadInfoItems(in, read));
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(read, items);
    EXPECT_EQ(read[0].Text(), "未闭合房屋: 3个\r\n实体\r\n线\r\n点 100%\r\n多段线\r\n区域");
}

TEST(InfoItem, EmptyFirstEntriesRoundTrip) {
    // The text takes no line break for entries added while it is still empty, so the positions of
    // such an item run past its text by two bytes an entry; it is still an item of ours.
    CInfoItem item;
    item.AppendItemText("");
    item.AppendItemText("");
    item.AppendItemText("ab");
    item.AddPointLink({1, 2});
    EXPECT_EQ(item.Text(), "ab");
    EXPECT_EQ(item.TextPositions(), (std::vector<std::int32_t>{0, 2, 4, 8}));
    CByteStream in(Image(item));
    CInfoItem read;
    ASSERT_TRUE(read.InfoItemSerialize(in));
    EXPECT_EQ(read, item);
}

TEST(InfoItem, DamagedImagesAreRefusedWithoutChange) {
    CByteStream out;
    ASSERT_TRUE(WriteInfoItems(out, {EveryKind(), EveryKind()}));
    const std::vector<std::uint8_t> image = out.WriteBuffer();
    const std::vector<CInfoItem> kept{CInfoItem()};

    // Every proper prefix is refused; the list that was there stays.
    for (std::size_t length = 0; length < image.size(); ++length) {
        CByteStream in(std::vector<std::uint8_t>(image.begin(), image.begin() + length));
        std::vector<CInfoItem> items = kept;
        ASSERT_FALSE(ReadInfoItems(in, items)) << length;
        ASSERT_EQ(items, kept);
    }

    // Absurd counts and lengths in every 4-byte slot are refused before anything is allocated
    // (an allocation of that size would throw). Where the slot is data (a coordinate, a kind, text)
    // the image may be read, and then exactly: written again it gives the same bytes.
    std::size_t refused = 0;
    for (std::size_t at = 0; at + 4 <= image.size(); ++at) {
        std::vector<std::uint8_t> bad = image;
        bad[at] = bad[at + 1] = bad[at + 2] = 0xFF;
        bad[at + 3] = 0x7F;
        CByteStream in(bad);
        std::vector<CInfoItem> items = kept;
        if (!ReadInfoItems(in, items)) {
            ++refused;
            ASSERT_EQ(items, kept) << at;
            continue;
        }
        EXPECT_TRUE(in.AtEnd()) << at;
        CByteStream again;
        ASSERT_TRUE(WriteInfoItems(again, items));
        ASSERT_EQ(again.WriteBuffer(), bad) << at;
    }
    // The list count at 0, and the title and text lengths that follow it, are among the refused.
    for (std::size_t at : {std::size_t{0}, std::size_t{4}}) {
        std::vector<std::uint8_t> bad = image;
        bad[at] = bad[at + 1] = bad[at + 2] = 0xFF;
        bad[at + 3] = 0x7F;
        CByteStream in(bad);
        std::vector<CInfoItem> items = kept;
        EXPECT_FALSE(ReadInfoItems(in, items)) << at;
    }
    EXPECT_GT(refused, image.size() / 4) << "most slots overlap a count or a length";

    // A flipped bit in any byte either is refused or reads back exactly: a count or a length that
    // shrinks leaves bytes after the last item, which are never taken as the end of the list.
    for (std::size_t at = 0; at < image.size(); ++at) {
        const std::size_t bit = at * 8 + at % 7;
        std::vector<std::uint8_t> bad = image;
        bad[at] ^= static_cast<std::uint8_t>(1u << (at % 7));
        CByteStream in(bad);
        std::vector<CInfoItem> items = kept;
        if (!ReadInfoItems(in, items)) {
            ASSERT_EQ(items, kept) << bit;
            continue;
        }
        CByteStream again;
        ASSERT_TRUE(WriteInfoItems(again, items));
        ASSERT_EQ(again.WriteBuffer(), bad) << bit;
    }

    // Per-entry arrays that disagree: an item with one kind but no handle list.
    CInfoItem item;
    item.AppendItemText("x");
    std::vector<std::uint8_t> bytes = Image(item);
    // title(5) text(5) kinds(8) positions(12), then the handle-list count.
    bytes[30] = 0;
    bytes.erase(bytes.begin() + 34, bytes.begin() + 38);
    CByteStream in(bytes);
    CInfoItem target;
    target.SetTitle("kept");
    EXPECT_FALSE(target.InfoItemSerialize(in));
    EXPECT_EQ(target.Title(), "kept");
}

}  // namespace
