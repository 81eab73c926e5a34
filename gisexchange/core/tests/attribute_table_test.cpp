// The attribute table of a MapGIS table file: its rows and dates, the arrangement of its columns
// by a template, and the rows of a key written onto an entity.
#include "gisexchange/attribute_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/documents.h"
#include "testing/host_machine.h"

namespace {

using gisexchange::AttributeColumn;
using gisexchange::AttributeTable;

std::vector<std::string> Names(const AttributeTable& table) {
    std::vector<std::string> names;
    for (const AttributeColumn& c : table.Columns())
        names.push_back(c.name + "@" + c.application);
    return names;
}

TEST(GeoportAttributeTable, RowsDatesAndArrangedColumns) {
    AttributeTable empty("x");
    empty.AddRow();
    EXPECT_EQ(empty.RowCount(), 0) << "no columns, no rows";

    AttributeTable table("GEO_ZD");
    table.AddColumn("ZDDM", 0);
    table.AddColumn("DJRQ", 4);
    table.AddColumn("MJ", 2);
    for (int i = 0; i < 3; ++i)
        table.AddRow();
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Columns()[1].application, "WWWW");

    table.SetValue(0, 1, "2024-3-7");
    table.SetValue(1, 1, "2024/03/07");
    table.SetValue(2, 1, "2024-03-07-1");
    table.SetValue(0, 0, "a");
    table.SetValue(3, 0, "past the rows");
    table.SetValue(0, 3, "past the columns");
    table.SetValue(-1, 0, "before the rows");
    EXPECT_EQ(table.Columns()[1].values, (std::vector<std::string>{"20240307", "", ""}))
        << "only a date of three parts is taken, as eight digits";
    EXPECT_EQ(table.Columns()[0].values, (std::vector<std::string>{"a", "", ""}));

    table.SetValue(1, 2, "12");
    table.ArrangeColumns({"MJ", "QLR", "ZDDM"}, {"area", "owner", "code"}, {2, 0, 0});
    EXPECT_EQ(Names(table), (std::vector<std::string>{"MJ@ZD_area", "QLR@ZD_QLR", "ZDDM@ZD_code"}))
        << "the prefix is the name after its first \"_\"; DJRQ is dropped";
    EXPECT_EQ(table.Columns()[0].values, (std::vector<std::string>{"", "12", ""}));
    EXPECT_EQ(table.Columns()[1].values, (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(table.Columns()[2].values[0], "a");

    // One listed name the table lacks, on a table of three rows and two columns.
    AttributeTable two("宗地");
    two.AddColumn("A", 0);
    two.AddColumn("B", 1);
    for (int i = 0; i < 3; ++i)
        two.AddRow();
    two.ArrangeColumns({"C"}, {"s"}, {1});
    ASSERT_EQ(two.Columns().size(), 1u);
    EXPECT_EQ(two.Columns()[0].application, "宗地_C") << "a name without \"_\" is its own prefix";
    EXPECT_EQ(two.Columns()[0].kind, 1);
    EXPECT_EQ(two.Columns()[0].values, (std::vector<std::string>(3)));

    // "乢" is 0x81 0x5F: its trail byte is no "_".
    AttributeTable gbk("乢X_Y");
    gbk.AddColumn("A", 0);
    gbk.ArrangeColumns({"A"}, {"s"}, {});
    EXPECT_EQ(gbk.Columns()[0].application, "Y_s");
}

class GeoportAttributeRows : public dero::testing::HostMachineTest {
protected:
    GeoportAttributeRows() : HostMachineTest("geoport_rows") {}

    static AcDbObjectId NewLine(ads_name name) {
        AcDbObjectId id = CreateCodedLine({0, 0, 0}, {1, 0, 0}, "", nullptr, "0");
        EXPECT_EQ(acdbGetAdsName(name, id), Acad::eOk);
        return id;
    }
    // Every item under the application, as text of its kind.
    static std::vector<std::string> Items(AcDbObjectId id, const char* application, int kind) {
        std::vector<std::string> items;
        std::string text;
        for (int i = 0; ReadEntityXData(id, application, text, kind, i, false, false); ++i)
            items.push_back(text);
        return items;
    }
};

TEST_F(GeoportAttributeRows, EveryRowOfTheKeyIsWrittenInRowOrder) {
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    AttributeTable table("T_ZD");
    table.AddColumn("KEY", 0);
    table.AddColumn("N", 1);
    table.AddColumn("D", 4);
    table.AddColumn("X", 7);
    const std::vector<std::vector<std::string>> rows = {
        {"k1", "1", "2020-1-2", "x"}, {"k2", "2", "", "x"}, {"k1", "3", "2021-11-12", "x"}};
    for (const auto& row : rows) {
        table.AddRow();
        for (int c = 0; c < 4; ++c)
            table.SetValue(table.RowCount() - 1, c, row[static_cast<std::size_t>(c)]);
    }
    table.ArrangeColumns({"KEY", "N", "D", "X"}, {"KEY", "N", "D", "X"}, {});

    ads_name entity;
    const AcDbObjectId id = NewLine(entity);
    table.WriteRowAsXData(entity, "k1");
    EXPECT_EQ(Items(id, "ZD_KEY", 0), (std::vector<std::string>{"k1", "k1"}));
    EXPECT_EQ(Items(id, "ZD_N", 1), (std::vector<std::string>{"1", "3"})) << "both rows of the key, in row order";
    EXPECT_EQ(Items(id, "ZD_D", 4), (std::vector<std::string>{"20200102", "20211112"}));
    EXPECT_EQ(CountXDataItems(entity, "ZD_X"), -1) << "a kind past the dates writes nothing";

    // A changed key column is looked up anew.
    table.SetValue(1, 0, "k1");
    ads_name other;
    const AcDbObjectId otherId = NewLine(other);
    table.WriteRowAsXData(other, "k1");
    EXPECT_EQ(Items(otherId, "ZD_N", 1), (std::vector<std::string>{"1", "2", "3"}));
    table.WriteRowAsXData(other, "k2");
    EXPECT_EQ(Items(otherId, "ZD_N", 1).size(), 3u) << "no row has that key any more";
    table.AddRow();
    table.WriteRowAsXData(other, "");
    EXPECT_EQ(Items(otherId, "ZD_N", 1).size(), 4u) << "a new row is found by its empty key";

    // A table of one column, a null name and a name of nothing write nothing.
    AttributeTable one("T");
    one.AddColumn("KEY", 0);
    one.AddRow();
    one.SetValue(0, 0, "k1");
    ads_name fresh;
    NewLine(fresh);
    one.WriteRowAsXData(fresh, "k1");
    EXPECT_EQ(CountXDataItems(fresh, "WWWW"), -1);
    ads_name none = {0, 0};
    table.WriteRowAsXData(none, "k1");
    table.WriteRowAsXData(nullptr, "k1");
    ads_name erased;
    ads_name_set(fresh, erased);
    ASSERT_EQ(acdbEntDel(erased), RTNORM);
    table.WriteRowAsXData(erased, "k1");
}

}  // namespace
