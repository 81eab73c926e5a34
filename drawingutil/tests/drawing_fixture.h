// A fresh working drawing for one test, with helpers to add entities and read their XData.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"

class DrawingTest : public ::testing::Test {
protected:
    DrawingTest() : db_(std::make_unique<AcDbDatabase>())
    {
        previous_ = acdbHostApplicationServices()->workingDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(db_.get());
    }
    ~DrawingTest() override
    {
        acdbHostApplicationServices()->setWorkingDatabase(previous_ == db_.get() ? nullptr : previous_);
    }

    AcDbDatabase* db() const { return db_.get(); }

    // Appends to model space and closes.
    AcDbObjectId Add(AcDbEntity* entity) const
    {
        AcDbBlockTableRecord* ms = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(ms, db_->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(ms->appendAcDbEntity(id, entity), Acad::eOk);
        entity->close();
        ms->close();
        return id;
    }

    struct Name {
        ads_name value{};
        operator const std::int64_t*() const { return value; }
    };
    static Name NameOf(AcDbObjectId id)
    {
        Name name;
        EXPECT_EQ(acdbGetAdsName(name.value, id), Acad::eOk);
        return name;
    }

    // Registers the application and sets the entity's data under it to the chain's items.
    void SetChain(AcDbObjectId id, const char* app, resbuf* items) const
    {
        acdbRegApp(app);
        resbuf* head = acutBuildList(1001, app, 0);
        head->rbnext = items;
        AcDbObject* object = nullptr;
        ASSERT_EQ(acdbOpenAcDbObject(object, id, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(object->setXData(head), Acad::eOk);
        object->close();
        acutRelRb(head);
    }

    // The group codes of the items under the application (head left out); empty without data.
    static std::vector<int> Groups(AcDbObjectId id, const char* app)
    {
        std::vector<int> groups;
        AcDbObject* object = nullptr;
        if (acdbOpenAcDbObject(object, id, AcDb::kForRead) != Acad::eOk)
            return groups;
        resbuf* chain = object->xData(app);
        object->close();
        for (resbuf* rb = chain != nullptr ? chain->rbnext : nullptr; rb != nullptr; rb = rb->rbnext)
            groups.push_back(rb->restype);
        acutRelRb(chain);
        return groups;
    }

private:
    std::unique_ptr<AcDbDatabase> db_;
    AcDbDatabase* previous_ = nullptr;
};
