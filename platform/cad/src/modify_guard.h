// Every setter of a host class goes through beginModify(): refused unless the object may change,
// announced to the database's observers when it may.
#pragma once

#define DERO_MODIFY(statement)                 \
    do {                                       \
        if (!beginModify())                    \
            return Acad::eNotOpenForWrite;     \
        statement;                             \
        return Acad::eOk;                      \
    } while (false)
