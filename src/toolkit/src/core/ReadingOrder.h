// The order a reader meets controls on a page: rows from top to bottom, and inside a row from
// left to right (or right to left). Controls whose vertical middles fall within the first
// control of a row belong to that row, so a check box and the taller text beside it read as one.
#pragma once

#include <vector>

#include "toolkit/Control.h"

namespace toolkit {

void SortInReadingOrder(std::vector<Control*>& controls, bool rightToLeft);

}  // namespace toolkit
