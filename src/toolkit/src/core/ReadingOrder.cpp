#include "core/ReadingOrder.h"

#include <algorithm>

namespace toolkit {
namespace {

int MiddleY(const Control* c) { return (c->GetPos().top + c->GetPos().bottom) / 2; }

}  // namespace

void SortInReadingOrder(std::vector<Control*>& controls, bool rightToLeft) {
    std::stable_sort(controls.begin(), controls.end(),
                     [](const Control* a, const Control* b) { return MiddleY(a) < MiddleY(b); });
    auto rowStart = controls.begin();
    while (rowStart != controls.end()) {
        const int rowBottom = (*rowStart)->GetPos().bottom;
        auto rowEnd = std::find_if(rowStart, controls.end(),
                                   [&](const Control* c) { return MiddleY(c) >= rowBottom; });
        if (rowEnd == rowStart) ++rowEnd;
        std::stable_sort(rowStart, rowEnd, [rightToLeft](const Control* a, const Control* b) {
            return rightToLeft ? a->GetPos().right > b->GetPos().right
                               : a->GetPos().left < b->GetPos().left;
        });
        rowStart = rowEnd;
    }
}

}  // namespace toolkit
