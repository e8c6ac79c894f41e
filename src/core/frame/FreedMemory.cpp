// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/FreedMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace karvel {

void returnFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

}  // namespace karvel
