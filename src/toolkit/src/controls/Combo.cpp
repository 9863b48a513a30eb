#include "toolkit/Combo.h"

#include <algorithm>

#include "toolkit/UiManager.h"

namespace toolkit {
namespace {
constexpr int kDefaultItemHeight = 22;
}

ListLabelElementUI::ListLabelElementUI() { fixedHeight_ = 0; }

void* ListLabelElementUI::GetInterface(std::string_view name) {
    return name == "ListLabelElement" ? this : LabelUI::GetInterface(name);
}

bool ListLabelElementUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "selected") {
        selected_ = ParseBool(value);
        return true;
    }
    return LabelUI::SetAttribute(name, value);
}

ComboUI::ComboUI() { inset_ = {}; }

void* ComboUI::GetInterface(std::string_view name) {
    return name == "Combo" ? this : ContainerUI::GetInterface(name);
}

ListLabelElementUI* ComboUI::GetListItem(int index) const {
    Control* item = GetItemAt(index);
    return item ? static_cast<ListLabelElementUI*>(item->GetInterface("ListLabelElement"))
                : nullptr;
}

bool ComboUI::SelectItem(int index, bool notify) {
    if (index < -1 || index >= GetCount()) return false;
    if (index == curSel_) return true;
    if (auto* old = GetListItem(curSel_)) old->SetSelectedFlag(false);
    curSel_ = index;
    if (auto* now = GetListItem(curSel_)) now->SetSelectedFlag(true);
    Invalidate();
    if (notify && manager_) manager_->SendNotify(this, "itemselect", curSel_);
    return true;
}

void ComboUI::ActivateItem(int index) {
    if (!SelectItem(index, true) || index < 0) return;
    if (manager_) manager_->SendNotify(this, "itemactivate", index);
}

std::string ComboUI::GetText() const {
    const auto* item = GetListItem(curSel_);
    return item ? item->GetText() : std::string();
}

int ComboUI::ItemHeight(int index) const {
    const Control* item = GetItemAt(index);
    return item && item->GetFixedHeight() > 0 ? item->GetFixedHeight() : kDefaultItemHeight;
}

int ComboUI::DropListHeight() const {
    int h = 0;
    for (int i = 0; i < GetCount(); ++i)
        if (GetItemAt(i)->IsVisible()) h += ItemHeight(i);
    return h;
}

int ComboUI::DropListItemAt(int y, int scrollY) const {
    int top = -scrollY;
    for (int i = 0; i < GetCount(); ++i) {
        if (!GetItemAt(i)->IsVisible()) continue;
        const int h = ItemHeight(i);
        if (y >= top && y < top + h) return i;
        top += h;
    }
    return -1;
}

Size ComboUI::DropListViewSize() const {
    const int width = dropBoxSize_.cx > 0 ? dropBoxSize_.cx : pos_.Width();
    const int height = std::min(dropBoxSize_.cy > 0 ? dropBoxSize_.cy : 150, DropListHeight());
    return {width, std::max(1, height)};
}

int ComboUI::DropListScrollFor(int viewHeight) const {
    const int range = std::max(0, DropListHeight() - viewHeight);
    if (range == 0 || curSel_ < 0) return 0;
    int top = 0;
    for (int i = 0; i < curSel_; ++i)
        if (GetItemAt(i)->IsVisible()) top += ItemHeight(i);
    // The current item sits in the middle of the list where it can.
    return std::clamp(top - (viewHeight - ItemHeight(curSel_)) / 2, 0, range);
}

int ComboUI::DropListScrollToShow(int index, int viewHeight, int scrollY) const {
    if (index < 0 || index >= GetCount()) return scrollY;
    int top = 0;
    for (int i = 0; i < index; ++i)
        if (GetItemAt(i)->IsVisible()) top += ItemHeight(i);
    const int range = std::max(0, DropListHeight() - viewHeight);
    if (top < scrollY) scrollY = top;
    if (top + ItemHeight(index) > scrollY + viewHeight)
        scrollY = top + ItemHeight(index) - viewHeight;
    return std::clamp(scrollY, 0, range);
}

namespace {

constexpr int kDropBarWidth = 6;
constexpr int kMarkWidth = 18;
constexpr Color kDropBorder = 0xFFC9C9C9;
// The bar's thumb stands out from the white list at 3:1 or more.
constexpr Color kDropRail = 0xFFEDEDED;
constexpr Color kDropThumb = 0xFF8A8A8A;

// A check mark inside `box`, the way a menu marks its current entry.
void PaintCheckMark(Canvas& canvas, const Rect& box, Color color) {
    const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
    Pen pen;
    pen.color = color;
    pen.width = 1.8;
    pen.cap = LineCap::Round;
    pen.join = LineJoin::Round;
    canvas.DrawPolyline({{cx - 4.5, cy}, {cx - 1.5, cy + 3.5}, {cx + 4.5, cy - 3.5}}, pen);
}

}  // namespace

void ComboUI::PaintDropList(Canvas& canvas, const Rect& area, int scrollY, int hot) const {
    canvas.FillRect(area, 0xFFFFFFFF);
    if (!manager_) return;
    const bool rtl = manager_->IsRightToLeft();
    const int total = DropListHeight();
    const bool scrolls = total > area.Height();
    Rect rows = area;
    if (scrolls) {
        if (rtl)
            rows.left += kDropBarWidth + 2;
        else
            rows.right -= kDropBarWidth + 2;
    }
    int top = area.top - scrollY;
    for (int i = 0; i < GetCount(); ++i) {
        const auto* item = GetListItem(i);
        if (!item || !item->IsVisible()) continue;
        const Rect row{rows.left, top, rows.right, top + ItemHeight(i)};
        top = row.bottom;
        if (!row.Intersects(area)) continue;
        Color bk = 0, fg = itemTextColor_ ? itemTextColor_ : 0xFF000000;
        if (!item->IsEnabled()) {
            bk = itemDisabledBkColor_;
            if (itemDisabledTextColor_) fg = itemDisabledTextColor_;
        } else if (i == hot) {
            bk = itemHotBkColor_;
            if (itemHotTextColor_) fg = itemHotTextColor_;
        } else if (i == curSel_) {
            bk = itemSelectedBkColor_;
            if (itemSelectedTextColor_) fg = itemSelectedTextColor_;
        }
        if (bk) canvas.FillRect(row, bk);
        // Room for the current item's mark at the row's end, kept on every row so texts line up.
        const Rect mark = rtl ? Rect{row.left, row.top, row.left + kMarkWidth, row.bottom}
                              : Rect{row.right - kMarkWidth, row.top, row.right, row.bottom};
        if (i == curSel_) PaintCheckMark(canvas, mark, fg);
        TextStyle style;
        style.font = itemFont_;
        style.color = fg;
        style.endEllipsis = true;
        style.rightToLeft = rtl;
        style.align = MirroredAlign(HAlign::Left, rtl);
        const Rect text = rtl ? Rect{mark.right, row.top, row.right - 6, row.bottom}
                              : Rect{row.left + 6, row.top, mark.left, row.bottom};
        canvas.DrawRichText(PlainRichText(item->GetText()), text, style, *manager_);
    }
    if (scrolls) {
        // Shows that the list goes on and where in it the view is.
        const int x = rtl ? area.left + 2 : area.right - 2 - kDropBarWidth;
        const Rect rail{x, area.top + 2, x + kDropBarWidth, area.bottom - 2};
        canvas.FillRoundRect(rail, {3, 3}, kDropRail);
        const int view = rail.Height();
        const int thumbH = std::max(16, view * area.Height() / std::max(1, total));
        const int range = std::max(1, total - area.Height());
        const int thumbTop = rail.top + (view - thumbH) * std::clamp(scrollY, 0, range) / range;
        canvas.FillRoundRect({rail.left, thumbTop, rail.right, thumbTop + thumbH}, {3, 3},
                             kDropThumb);
    }
    canvas.StrokeRect(area, {1, 1, 1, 1}, kDropBorder);
}

bool ComboUI::AddAt(std::unique_ptr<Control> control, int index) {
    auto* item = control
                     ? static_cast<ListLabelElementUI*>(control->GetInterface("ListLabelElement"))
                     : nullptr;
    const bool selected = item && item->IsSelected();
    if (item) item->SetSelectedFlag(false);
    if (!ContainerUI::AddAt(std::move(control), index)) return false;
    if (curSel_ >= index) ++curSel_;
    if (selected) SelectItem(index, false);
    return true;
}

bool ComboUI::RemoveAt(int index) {
    if (!ContainerUI::RemoveAt(index)) return false;
    if (curSel_ == index)
        curSel_ = -1;
    else if (curSel_ > index)
        --curSel_;
    return true;
}

void ComboUI::RemoveAll() {
    ContainerUI::RemoveAll();
    curSel_ = -1;
}

void ComboUI::SetPos(const Rect& rect) {
    // Items live in the drop list, not inside the box.
    Control::SetPos(rect);
}

Control* ComboUI::FindControlAt(Point pt) {
    if (!visible_ || !mouseEnabled_ || !pos_.Contains(pt)) return nullptr;
    return this;
}

bool ComboUI::SetAttribute(std::string_view name, std::string_view value) {
    if (images_.SetAttribute(name, value)) return true;
    if (name == "dropboxsize")
        dropBoxSize_ = ParseSize(value);
    else if (name == "textpadding")
        textPadding_ = ParseRect(value);
    else if (name == "textcolor")
        textColor_ = ParseColor(value);
    else if (name == "itemfont")
        itemFont_ = ParseInt(value);
    else if (name == "itemtextcolor")
        itemTextColor_ = ParseColor(value);
    else if (name == "itemselectedtextcolor")
        itemSelectedTextColor_ = ParseColor(value);
    else if (name == "itemselectedbkcolor")
        itemSelectedBkColor_ = ParseColor(value);
    else if (name == "itemhottextcolor")
        itemHotTextColor_ = ParseColor(value);
    else if (name == "itemhotbkcolor")
        itemHotBkColor_ = ParseColor(value);
    else if (name == "itemdisabledtextcolor")
        itemDisabledTextColor_ = ParseColor(value);
    else if (name == "itemdisabledbkcolor")
        itemDisabledBkColor_ = ParseColor(value);
    else if (name == "scrollselect") {
    } else
        return ContainerUI::SetAttribute(name, value);
    return true;
}

void ComboUI::DoPaint(Canvas& canvas, const Rect& clip) {
    if (!pos_.Intersects(clip)) return;
    PaintBkColor(canvas);
    PaintBkImage(canvas);
    images_.Paint(*this, canvas, {!enabled_, pushed_, hot_});
    if (manager_ && curSel_ >= 0) {
        TextStyle style;
        style.font = font_;
        style.color = textColor_ ? textColor_ : 0xFF000000;
        style.endEllipsis = true;
        style.rightToLeft = manager_->IsRightToLeft();
        style.align = MirroredAlign(HAlign::Left, style.rightToLeft);
        canvas.DrawRichText(PlainRichText(GetText()), pos_.Deflate(textPadding_), style, *manager_);
    }
    PaintBorder(canvas);
}

void ComboUI::DoEvent(UiEvent& event) {
    if (TrackHover(event, hot_)) return;
    switch (event.type) {
        case EventType::ButtonDown:
            Press(pushed_);
            return;
        case EventType::ButtonUp:
            Release(pushed_, event.pt);
            return;
        default:
            ContainerUI::DoEvent(event);
    }
}

bool ComboUI::Activate() {
    if (!Control::Activate()) return false;
    if (manager_ && manager_->Host()) manager_->Host()->ShowDropList(*this);
    return true;
}

}  // namespace toolkit
