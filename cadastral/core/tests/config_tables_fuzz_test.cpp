// Seeded mutations of the shipped configuration tables: whatever a damaged table holds, the load
// ends, every text keeps to its field and to whole characters, and a look-up answers.
#include <random>

#include "cadastral/config_tables.h"
#include "platform/text/gbk.h"
#include "testing/files.h"
#include "toolkit_fixture.h"

namespace {

using cadastral::Tables;

// Fits the capacity (terminator included) and ends on a character boundary.
bool Holds(const std::string& text, std::size_t capacity) {
    return text.size() < capacity && platform::text::IsGbkCharBoundary(text, text.size());
}

class ConfigTablesFuzz : public ToolkitTest {
protected:
    void TearDown() override {
        Tables() = cadastral::ConfigTables{};
        ToolkitTest::TearDown();
    }
};

TEST_F(ConfigTablesFuzz, DamagedTablesLoadWithinTheirFields) {
    const char* names[] = {"index.ini", "Dilei.def", "work.def", "attribute.def", "attributeCheck.def"};
    std::vector<std::string> shipped;
    for (const char* name : names)
        shipped.push_back(dero::testing::ReadFile(std::string(DERO_SOURCE_DIR "/samples/support/") + name));
    const std::string alphabet = ",*/\r\n\t END\xb5\xd8\xff\x80-0N";
    std::mt19937 random(68);
    for (int n = 0; n < 150; ++n) {
        for (std::size_t t = 0; t < shipped.size(); ++t) {
            std::string table = shipped[t];
            for (int k = 1 + static_cast<int>(random() % 6); k > 0 && !table.empty(); --k) {
                const std::size_t at = random() % table.size();
                switch (random() % 5) {
                case 0: table[at] = alphabet[random() % alphabet.size()]; break;
                case 1: table.insert(at, std::string(1 + random() % 40, alphabet[random() % alphabet.size()])); break;
                case 2: table.erase(at, 1 + random() % 30); break;
                case 3: table[at] = static_cast<char>(random()); break;
                default: table.resize(at); break;
                }
            }
            WriteSupportFile(names[t], table);
        }
        SCOPED_TRACE("mutation " + std::to_string(n));
        cadastral::LoadConfigTables();
        const cadastral::ConfigTables& tables = Tables();
        for (const auto& r : tables.codes) {
            ASSERT_TRUE(Holds(r.code, 10) && Holds(r.name, 22) && Holds(r.text4, 36) && Holds(r.text5, 12) &&
                        Holds(r.featureClass, 16) && !r.featureClass.empty());
            std::string featureClass;
            ASSERT_EQ(cadastral::FindCodeRecord(r.code, featureClass), !r.code.empty());
        }
        for (const auto& r : tables.landClasses)
            ASSERT_TRUE(Holds(r.code, 8) && Holds(r.name, 24) && Holds(r.workCode, 10) && Holds(r.workName, 12) &&
                        Holds(r.workText, 18));
        for (const auto& r : tables.works)
            ASSERT_TRUE(Holds(r.code, 10) && Holds(r.name, 14));
        ASSERT_LE(tables.attributeGroupsRead + 4, tables.attributeGroups.size() + 0u);
        for (const auto& g : tables.attributeGroups) {
            ASSERT_TRUE(Holds(g.name, 24) && Holds(g.label, 24));
            for (const auto& f : g.fields)
                ASSERT_TRUE(Holds(f.name, 16) && Holds(f.label, 24) && Holds(f.trailing, 24));
        }
        for (const auto& g : tables.checkGroups) {
            ASSERT_TRUE(Holds(g.name, 24) && Holds(g.label, 24));
            for (const auto& f : g.fields)
                ASSERT_TRUE(Holds(f.name, 16) && Holds(f.text, 27));
        }
        ASSERT_TRUE(Holds(cadastral::ParcelLayerName(), cadastral::kParcelLayerCapacity));
    }
}

}  // namespace
