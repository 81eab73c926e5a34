// The undo journal of a drawing. It hears of every change before it happens (as an observer of the
// database) and keeps, per step, the state each object had when the step began; undoing a step
// puts those states back exactly (XData, reactors, group membership, owned lists) and erases what
// the step created. A step is one command, or everything between UNDO BEGIN and UNDO END.
// Changes made while no command runs and no step is open are not recorded.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/cad/db_object_id.h"
#include "platform/cad/db_observer.h"

class AcDbDatabase;
class AcDbObject;

namespace platform::cad {

class UndoJournal : public DatabaseObserver {
public:
    explicit UndoJournal(AcDbDatabase* database);
    ~UndoJournal() override;

    // A command starts or ends; inside an open group commands add to the group's step.
    void BeginCommand();
    void EndCommand();
    // UNDO BEGIN: a group already open is ended first, as a host does.
    void BeginGroup();
    // UNDO END: false when no group is open.
    bool EndGroup();
    bool GroupOpen() const { return group_; }
    // UNDO n: ends an open group, then undoes the last n steps that changed anything. Returns the
    // number undone; -1, with nothing changed, when an object to restore is open (error says
    // which).
    int Undo(int count, std::string* error = nullptr);
    // Completed steps that can be undone.
    std::size_t StepCount() const;
    // Forgets every step (a drawing just opened has nothing to undo).
    void Clear();

    void ObjectAppended(const AcDbObject& object) override;
    void ObjectWillBeModified(const AcDbObject& object) override;

private:
    struct Record;
    struct Step;
    bool Recording() const;
    Step& Current();
    void CloseCurrent();
    bool RestoreStep(Step& step, std::string* error);

    AcDbDatabase* database_;
    std::vector<std::unique_ptr<Step>> steps_;
    bool open_ = false;     // the last step is still collecting
    bool group_ = false;    // ... as an UNDO BEGIN group
    bool replaying_ = false;
};

// The journal of a drawing (the working one when null).
UndoJournal& JournalOf(AcDbDatabase* database = nullptr);

}  // namespace platform::cad
