// A walk over the extents of block references: while one is alive on a thread, each block's
// contents are measured once however often the block is inserted, directly or nested, so that a
// drawing whose blocks each insert the next several times is measured in linear time.
#pragma once

namespace platform::cad {

class BlockExtentsWalk {
public:
    BlockExtentsWalk();
    ~BlockExtentsWalk();
    BlockExtentsWalk(const BlockExtentsWalk&) = delete;
    BlockExtentsWalk& operator=(const BlockExtentsWalk&) = delete;
};

}  // namespace platform::cad
