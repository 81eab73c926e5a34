#include "platform/cad/undo_journal.h"

#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_object.h"

namespace platform::cad {

struct UndoJournal::Record {
    ObjectStub* stub = nullptr;
    bool created = false;
    // The state before the step: the object's own data, then what a copy does not carry.
    std::unique_ptr<AcDbObject> copy;
    AcDbObjectId owner;
    AcDbObjectIdArray reactors;
    AcDbObjectId extDict;
    bool erased = false;
};

struct UndoJournal::Step {
    std::uint64_t firstNewSlot = 0;  // objects from this slot on were created in the step
    std::vector<Record> records;
    std::unordered_map<ObjectStub*, std::size_t> known;  // objects older than the step
    std::vector<bool> created;                            // by slot from firstNewSlot: recorded
    AcDbObjectId clayer, celtype, textstyle;
};

UndoJournal::UndoJournal(AcDbDatabase* database) : database_(database) {}
UndoJournal::~UndoJournal() = default;

UndoJournal::Step& UndoJournal::Current()
{
    if (!open_) {
        auto step = std::make_unique<Step>();
        step->firstNewSlot = database_->objects().Size();
        step->clayer = database_->clayer();
        step->celtype = database_->celtype();
        step->textstyle = database_->textstyle();
        steps_.push_back(std::move(step));
        open_ = true;
    }
    return *steps_.back();
}

void UndoJournal::CloseCurrent()
{
    if (open_ && steps_.back()->records.empty() && steps_.back()->clayer == database_->clayer() &&
        steps_.back()->celtype == database_->celtype() && steps_.back()->textstyle == database_->textstyle())
        steps_.pop_back();
    open_ = false;
    group_ = false;
}

void UndoJournal::BeginCommand()
{
    if (group_)
        return;
    CloseCurrent();
    Current();
}

void UndoJournal::EndCommand()
{
    if (!group_)
        CloseCurrent();
}

void UndoJournal::BeginGroup()
{
    CloseCurrent();
    Current();
    group_ = true;
}

bool UndoJournal::EndGroup()
{
    if (!group_)
        return false;
    CloseCurrent();
    return true;
}

std::size_t UndoJournal::StepCount() const { return open_ ? steps_.size() - 1 : steps_.size(); }

// Changes count when a command makes them or a step was opened for them. Others (a drawing being
// read, a test building its drawing) are not undoable, as on a host where only commands are.
bool UndoJournal::Recording() const { return !replaying_ && (open_ || CommandDepth() > 0); }

void UndoJournal::Clear()
{
    steps_.clear();
    open_ = false;
    group_ = false;
}

void UndoJournal::ObjectAppended(const AcDbObject& object)
{
    if (!Recording() || object.stub_ == nullptr)
        return;
    Step& step = Current();
    ObjectStub* stub = object.stub_;
    // A hand-over fills an existing slot: its old state was recorded when the change began. New
    // slots are marked in a bit per slot rather than hashed: a command may append a whole drawing.
    if (stub->index < step.firstNewSlot)
        return;
    const std::uint64_t offset = stub->index - step.firstNewSlot;
    if (offset < step.created.size() && step.created[offset])
        return;
    if (offset >= step.created.size())
        step.created.resize(offset + 1);
    step.created[offset] = true;
    Record record;
    record.stub = stub;
    record.created = true;
    step.records.push_back(std::move(record));
}

void UndoJournal::ObjectWillBeModified(const AcDbObject& object)
{
    if (!Recording() || object.stub_ == nullptr)
        return;
    Step& step = Current();
    ObjectStub* stub = object.stub_;
    if (stub->index >= step.firstNewSlot || step.known.count(stub) != 0)
        return;
    Record record;
    record.stub = stub;
    record.copy.reset(object.journalCopy());
    record.owner = object.ownerId_;
    record.reactors = object.reactors_;
    record.extDict = object.extDict_;
    record.erased = stub->erased;
    step.known.emplace(stub, step.records.size());
    step.records.push_back(std::move(record));
}

bool UndoJournal::RestoreStep(Step& step, std::string* error)
{
    for (const Record& record : step.records) {
        const AcDbObject* live = record.stub->object.get();
        if (live != nullptr && (live->writing_ || live->readers_ > 0)) {
            if (error != nullptr)
                *error = "object " + AcDbHandle(record.stub->handle).text() + " is open";
            return false;
        }
        if (!record.created && record.copy == nullptr) {
            if (error != nullptr)
                *error = "object " + AcDbHandle(record.stub->handle).text() + " cannot be copied";
            return false;
        }
    }
    const auto& observers = database_->observers();
    for (auto it = step.records.rbegin(); it != step.records.rend(); ++it) {
        Record& record = *it;
        ObjectStub* stub = record.stub;
        if (record.created) {
            if (!stub->erased) {
                stub->erased = true;
                for (auto* observer : observers)
                    observer->ObjectErased(*stub->object, true);
            }
            continue;
        }
        AcDbObject* back = record.copy.release();
        back->stub_ = stub;
        back->ownerId_ = record.owner;
        back->reactors_ = record.reactors;
        back->extDict_ = record.extDict;
        bool erasedChanged = stub->erased != record.erased;
        stub->object.reset(back);
        stub->erased = record.erased;
        for (auto* observer : observers) {
            observer->ObjectModified(*back);
            if (erasedChanged)
                observer->ObjectErased(*back, record.erased);
        }
    }
    database_->setTextstyle(step.textstyle);
    database_->setCeltype(step.celtype);
    database_->setClayer(step.clayer);
    return true;
}

int UndoJournal::Undo(int count, std::string* error)
{
    CloseCurrent();
    int done = 0;
    replaying_ = true;
    while (done < count && !steps_.empty()) {
        if (!RestoreStep(*steps_.back(), error)) {
            replaying_ = false;
            return done > 0 ? done : -1;
        }
        steps_.pop_back();
        ++done;
    }
    replaying_ = false;
    return done;
}

}  // namespace platform::cad
