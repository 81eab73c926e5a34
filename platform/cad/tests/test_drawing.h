// A fresh drawing made the working database for one test, and small helpers to add entities.
#pragma once

#include <memory>

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_table.h"

class TestDrawing {
public:
    TestDrawing() : db_(std::make_unique<AcDbDatabase>())
    {
        previous_ = acdbHostApplicationServices()->workingDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(db_.get());
    }
    ~TestDrawing() { acdbHostApplicationServices()->setWorkingDatabase(previous_ == db_.get() ? nullptr : previous_); }
    TestDrawing(const TestDrawing&) = delete;
    TestDrawing& operator=(const TestDrawing&) = delete;

    AcDbDatabase* db() const { return db_.get(); }

    // Appends to model space and closes; the null id when the append fails (entity deleted).
    AcDbObjectId Add(AcDbEntity* entity) const
    {
        AcDbBlockTableRecord* ms = nullptr;
        AcDbObjectId id;
        if (acdbOpenObject(ms, db_->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) {
            delete entity;
            return id;
        }
        if (ms->appendAcDbEntity(id, entity) == Acad::eOk)
            entity->close();
        else
            delete entity;
        ms->close();
        return id;
    }

private:
    std::unique_ptr<AcDbDatabase> db_;
    AcDbDatabase* previous_ = nullptr;
};
