#include "toolkit/Container.h"

#include <algorithm>

#include "toolkit/UiManager.h"

namespace toolkit {
namespace {
constexpr int kScrollBarWidth = 9;
// Text keeps this clear of a scroll bar, whichever side it is aligned to.
constexpr int kScrollBarGap = 8;
constexpr int kWheelStep = 30;

enum class Place { Start, Center, End };

Place PlaceOf(HAlign align) {
    return align == HAlign::Center  ? Place::Center
           : align == HAlign::Right ? Place::End
                                    : Place::Start;
}

Place PlaceOf(VAlign align) {
    return align == VAlign::Center   ? Place::Center
           : align == VAlign::Bottom ? Place::End
                                     : Place::Start;
}

// A limit pair of a document may be inverted (min above max): the minimum wins.
int ClampToLimits(int v, int low, int high) { return std::clamp(v, low, std::max(low, high)); }

int Offset(Place place, int spare) {
    return place == Place::Center ? spare / 2 : place == Place::End ? spare : 0;
}

// Reads sizes, padding and limits along the stacking ("main") axis and the other ("cross") one,
// so one routine lays out both stack directions.
struct AxisView {
    bool vertical;

    int Main(Size s) const { return vertical ? s.cy : s.cx; }
    int Cross(Size s) const { return vertical ? s.cx : s.cy; }
    int MainLead(const Rect& r) const { return vertical ? r.top : r.left; }
    int MainTrail(const Rect& r) const { return vertical ? r.bottom : r.right; }
    int CrossLead(const Rect& r) const { return vertical ? r.left : r.top; }
    int CrossTrail(const Rect& r) const { return vertical ? r.right : r.bottom; }
    int ClampMain(const Control& c, int v) const {
        return vertical ? ClampToLimits(v, c.GetMinHeight(), c.GetMaxHeight())
                        : ClampToLimits(v, c.GetMinWidth(), c.GetMaxWidth());
    }
    int ClampCross(const Control& c, int v) const {
        return vertical ? ClampToLimits(v, c.GetMinWidth(), c.GetMaxWidth())
                        : ClampToLimits(v, c.GetMinHeight(), c.GetMaxHeight());
    }
    Rect MakeRect(int mainAt, int crossAt, int length, int breadth) const {
        return vertical ? Rect{crossAt, mainAt, crossAt + breadth, mainAt + length}
                        : Rect{mainAt, crossAt, mainAt + length, crossAt + breadth};
    }
};
}  // namespace

void* ContainerUI::GetInterface(std::string_view name) {
    return name == "Container" ? this : Control::GetInterface(name);
}

Control* ContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return items_[static_cast<std::size_t>(index)].get();
}

int ContainerUI::GetItemIndex(const Control* control) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == control) return static_cast<int>(i);
    return -1;
}

bool ContainerUI::Add(std::unique_ptr<Control> control) {
    return AddAt(std::move(control), GetCount());
}

bool ContainerUI::AddAt(std::unique_ptr<Control> control, int index) {
    if (!control || index < 0 || index > GetCount()) return false;
    control->SetManager(manager_, this);
    items_.insert(items_.begin() + index, std::move(control));
    NeedUpdate();
    return true;
}

bool ContainerUI::Remove(Control* control) { return RemoveAt(GetItemIndex(control)); }

bool ContainerUI::RemoveAt(int index) {
    if (index < 0 || index >= GetCount()) return false;
    items_.erase(items_.begin() + index);
    NeedUpdate();
    return true;
}

void ContainerUI::RemoveAll() {
    items_.clear();
    NeedUpdate();
}

std::unique_ptr<Control> ContainerUI::Take(Control* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return nullptr;
    std::unique_ptr<Control> taken = std::move(items_[static_cast<std::size_t>(index)]);
    items_.erase(items_.begin() + index);
    if (manager_) manager_->ForgetControl(taken.get());
    NeedUpdate();
    return taken;
}

void ContainerUI::SetInset(const Rect& inset) {
    inset_ = inset;
    NeedUpdate();
}

void ContainerUI::SetManager(UiManager* manager, Control* parent) {
    Control::SetManager(manager, parent);
    for (auto& item : items_) item->SetManager(manager, this);
}

Control* ContainerUI::FindSubControl(std::string_view name) {
    if (name_ == name) return this;
    for (auto& item : items_)
        if (Control* found = item->FindSubControl(name)) return found;
    return nullptr;
}

Control* ContainerUI::FindControlAt(Point pt) {
    if (!visible_ || !pos_.Contains(pt)) return nullptr;
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        if (!(*it)->IsFloat()) continue;
        if (Control* hit = (*it)->FindControlAt(pt)) return hit;
    }
    const Rect content = ContentRect();
    if (content.Contains(pt)) {
        for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
            if ((*it)->IsFloat()) continue;
            if (Control* hit = (*it)->FindControlAt(pt)) return hit;
        }
    }
    return mouseEnabled_ ? this : nullptr;
}

bool ContainerUI::PlacedApart(Control& child) const {
    if (!child.IsVisible()) return true;
    if (!child.IsFloat()) return false;
    SetFloatPos(child);
    return true;
}

Rect ContainerUI::ContentRect() const {
    Rect r = pos_.Deflate(inset_);
    if (vScroll_ && scrollRange_ > 0) r.right -= kScrollBarWidth + kScrollBarGap;
    return r;
}

void ContainerUI::SetPos(const Rect& rect) {
    Control::SetPos(rect);
    const Rect content = ContentRect();
    for (auto& item : items_) {
        if (PlacedApart(*item)) continue;
        const Rect& p = item->GetPadding();
        const Size sz = item->EstimateSize({content.Width(), content.Height()});
        const int w = sz.cx > 0 ? sz.cx : content.Width() - p.left - p.right;
        const int h = sz.cy > 0 ? sz.cy : content.Height() - p.top - p.bottom;
        const int x = content.left + p.left, y = content.top + p.top;
        item->SetPos({x, y, x + w, y + h});
    }
    MirrorIfRightToLeft(content);
}

bool ContainerUI::ReadsRightToLeft() const {
    if (!manager_ || !manager_->IsRightToLeft()) return false;
    // A floating group is placed where its pos says, its inside as drawn.
    for (const Control* c = this; c; c = c->GetParent())
        if (c->IsFloat()) return false;
    return true;
}

void ContainerUI::MirrorIfRightToLeft(const Rect& content) {
    if (!ReadsRightToLeft()) return;
    for (auto& item : items_) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        const Rect& r = item->GetPos();
        item->Move(content.left + content.right - r.right - r.left, 0);
    }
}

void ContainerUI::SetFloatPos(Control& child) const {
    const Rect& fp = child.GetFloatPos();
    const Rect& pad = child.GetPadding();
    const FloatAlign align = child.GetFloatAlign();
    const int w = child.GetFixedWidth() > 0 ? child.GetFixedWidth() : pos_.Width();
    const int h = child.GetFixedHeight() > 0 ? child.GetFixedHeight() : pos_.Height();
    int x = pos_.left + fp.left;
    int y = pos_.top + fp.top;
    if (align.right)
        x = pos_.right - pad.right - w;
    else if (align.left)
        x = pos_.left + pad.left;
    if (align.bottom)
        y = pos_.bottom - pad.bottom - h;
    else if (align.top)
        y = pos_.top + pad.top;
    child.SetPos({x, y, x + w, y + h});
}

void ContainerUI::Move(int dx, int dy) {
    Control::Move(dx, dy);
    for (auto& item : items_) item->Move(dx, dy);
}

bool ContainerUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "inset")
        inset_ = ParseRect(value);
    else if (name == "childalign")
        childAlign_ = ParseHAlign(value);
    else if (name == "childvalign")
        childVAlign_ = ParseVAlign(value);
    else if (name == "vscrollbar")
        vScroll_ = ParseBool(value);
    else
        return Control::SetAttribute(name, value);
    return true;
}

void ContainerUI::DoPaint(Canvas& canvas, const Rect& clip) {
    const Rect area = pos_.Intersect(clip);
    if (area.IsEmpty()) return;
    Control::DoPaint(canvas, clip);
    canvas.PushClip(area);
    const Rect content = ContentRect().Intersect(area);
    for (auto& item : items_) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        if (!content.IsEmpty() && item->GetPos().Intersects(content)) {
            canvas.PushClip(content);
            item->DoPaint(canvas, content);
            canvas.PopClip();
        }
    }
    for (auto& item : items_) {
        if (item->IsVisible() && item->IsFloat() && item->GetPos().Intersects(area))
            item->DoPaint(canvas, area);
    }
    PaintScrollBar(canvas);
    canvas.PopClip();
}

int ContainerUI::StackItems(Axis direction, const Rect& content, int start) {
    const AxisView axis{direction == Axis::Vertical};
    const Size available{content.Width(), content.Height()};
    const Place mainPlace = axis.vertical ? PlaceOf(childVAlign_) : PlaceOf(childAlign_);
    const Place crossPlace = axis.vertical ? PlaceOf(childAlign_) : PlaceOf(childVAlign_);

    // Sums over all children are taken wide: a document may hold any number of them.
    long long fixedTotal = 0;
    int stretchCount = 0;
    for (auto& item : items_) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        const int length = axis.Main(item->EstimateSize(available));
        if (length == 0)
            ++stretchCount;
        else
            fixedTotal += axis.ClampMain(*item, length);
        fixedTotal += axis.MainLead(item->GetPadding()) + axis.MainTrail(item->GetPadding());
    }
    const int spare = static_cast<int>(std::max(0LL, axis.Main(available) - fixedTotal));
    const int stretch = stretchCount ? spare / stretchCount : 0;
    long long at = start;
    if (stretchCount == 0) at += Offset(mainPlace, spare);
    int stretchSeen = 0;
    for (auto& item : items_) {
        if (PlacedApart(*item)) continue;
        const Rect& p = item->GetPadding();
        const Size sz = item->EstimateSize(available);
        int length = axis.Main(sz);
        if (length == 0) {
            // The last stretching child takes the rounding remainder so the line is filled.
            length = ++stretchSeen == stretchCount ? spare - stretch * (stretchCount - 1) : stretch;
        }
        length = axis.ClampMain(*item, length);
        const int room = axis.Cross(available) - axis.CrossLead(p) - axis.CrossTrail(p);
        const int breadth = axis.ClampCross(*item, axis.Cross(sz) == 0 ? room : axis.Cross(sz));
        const int crossAt =
            axis.CrossLead(content) + axis.CrossLead(p) + Offset(crossPlace, room - breadth);
        item->SetPos(
            axis.MakeRect(ClampCoordinate(at + axis.MainLead(p)), crossAt, length, breadth));
        at += axis.MainLead(p) + length + axis.MainTrail(p);
    }
    return ClampCoordinate(at);
}

void ContainerUI::PaintScrollBar(Canvas& canvas) {
    if (!vScroll_ || scrollRange_ <= 0) return;
    const Rect inner = pos_.Deflate(inset_);
    const Rect rail{inner.right - kScrollBarWidth, inner.top, inner.right, inner.bottom};
    canvas.FillRoundRect(rail, {4, 4}, 0xFFEDEDED);
    const int view = rail.Height();
    const int total = view + scrollRange_;
    const int thumbH =
        static_cast<int>(std::max(20LL, static_cast<long long>(view) * view / std::max(1, total)));
    const int thumbTop = rail.top + static_cast<int>(static_cast<long long>(view - thumbH) *
                                                     scrollY_ / std::max(1, scrollRange_));
    canvas.FillRoundRect({rail.left + 1, thumbTop, rail.right - 1, thumbTop + thumbH}, {3, 3},
                         0xFFC1C1C1);
}

void ContainerUI::SetScrollPos(int y) {
    y = std::clamp(y, 0, std::max(0, scrollRange_));
    if (y == scrollY_) return;
    scrollY_ = y;
    NeedUpdate();
}

void ContainerUI::SetContentOffsetX(int x) {
    if (x == contentOffsetX_) return;
    contentOffsetX_ = x;
    NeedUpdate();
}

void ContainerUI::DoEvent(UiEvent& event) {
    if (event.type == EventType::ScrollWheel && vScroll_ && scrollRange_ > 0) {
        SetScrollPos(scrollY_ + (event.wheelDelta > 0 ? -kWheelStep : kWheelStep));
        return;
    }
    Control::DoEvent(event);
}

// ---- VerticalLayout ----

void* VerticalLayoutUI::GetInterface(std::string_view name) {
    return name == "VerticalLayout" ? this : ContainerUI::GetInterface(name);
}

void VerticalLayoutUI::SetPos(const Rect& rect) {
    Control::SetPos(rect);
    const Rect content = ContentRect();
    const int end = StackItems(Axis::Vertical, content, content.top - scrollY_);
    MirrorIfRightToLeft(content);
    const int range = std::max(0, end + scrollY_ - content.bottom);
    if (vScroll_ && range != scrollRange_) {
        const bool barChanged = (range > 0) != (scrollRange_ > 0);
        scrollRange_ = range;
        scrollY_ = std::min(scrollY_, scrollRange_);
        if (barChanged) SetPos(rect);  // the bar changes the width left for the children
    }
}

// ---- HorizontalLayout ----

void* HorizontalLayoutUI::GetInterface(std::string_view name) {
    return name == "HorizontalLayout" ? this : ContainerUI::GetInterface(name);
}

void HorizontalLayoutUI::SetPos(const Rect& rect) {
    Control::SetPos(rect);
    const Rect content = pos_.Deflate(inset_);
    const int start = content.left - contentOffsetX_;
    const int end = StackItems(Axis::Horizontal, content, start);
    // A strip wider than its view (a carousel) is slid through by offsets, not read: it keeps
    // its order.
    if (end - start <= content.Width()) MirrorIfRightToLeft(content);
}

// ---- TabLayout ----

void* TabLayoutUI::GetInterface(std::string_view name) {
    return name == "TabLayout" ? this : ContainerUI::GetInterface(name);
}

bool TabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    curSel_ = index;
    for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == index);
    NeedUpdate();
    return true;
}

bool TabLayoutUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "selectedid") {
        curSel_ = ParseInt(value);
        return true;
    }
    return ContainerUI::SetAttribute(name, value);
}

void TabLayoutUI::SetPos(const Rect& rect) {
    // Pages added after `selectedid` was read are shown or hidden here, once they all exist.
    for (int i = 0; i < GetCount(); ++i) {
        Control* page = GetItemAt(i);
        const bool shown = i == curSel_;
        if (page->IsVisible() != shown) page->Control::SetVisible(shown);
    }
    ContainerUI::SetPos(rect);
}

}  // namespace toolkit
