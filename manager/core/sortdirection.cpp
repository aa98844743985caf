#include "manager/core/sortdirection.h"

namespace dm {

int& SharedSortDirection()
{
    static int direction = 1;
    return direction;
}

} // namespace dm
