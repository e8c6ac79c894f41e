// SPDX-License-Identifier: GPL-3.0-or-later
// Handing memory that was freed back to the system.
#pragma once

namespace karvel {

// After a large structure made of many small pieces is let go (a result's
// rows), the allocator keeps the freed pages for later use; what comes next
// is often of other sizes and takes fresh pages instead. Giving the free
// pages back keeps the program's footprint near what it holds. Does nothing
// where the C library has no such call.
void returnFreedMemory();

}  // namespace karvel
