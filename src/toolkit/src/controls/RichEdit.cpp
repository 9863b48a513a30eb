#include "toolkit/RichEdit.h"

#include <algorithm>

#include "toolkit/UiManager.h"

namespace toolkit {
namespace {
constexpr int kWheelStep = 40;
}

RichEditUI::RichEditUI() {
    showHtml_ = true;
    wordBreak_ = true;
    valign_ = VAlign::Top;
}

void* RichEditUI::GetInterface(std::string_view name) {
    return name == "RichEdit" ? this : LabelUI::GetInterface(name);
}

Rect RichEditUI::TextEdges() const { return TextEdgesWithin(inset_); }

void RichEditUI::SetText(std::string text) {
    scrollY_ = 0;
    LabelUI::SetText(std::move(text));
}

int RichEditUI::GetScrollRange() const {
    if (!manager_ || !vScroll_) return 0;
    const Rect area = TextRect();
    const Size content =
        manager_->Text().Measure(Rich(), Style(), *manager_, std::max(1, area.Width()));
    return std::max(0, content.cy - area.Height());
}

void RichEditUI::SetScrollPos(int y) {
    y = std::clamp(y, 0, GetScrollRange());
    if (y == scrollY_) return;
    scrollY_ = y;
    Invalidate();
}

bool RichEditUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "inset")
        inset_ = ParseRect(value);
    else if (name == "vscrollbar")
        vScroll_ = ParseBool(value);
    else if (name == "rich") {
        showHtml_ = ParseBool(value) || showHtml_;
        richValid_ = false;
    } else if (name == "readonly" || name == "autovscroll" || name == "menu") {
    } else
        return LabelUI::SetAttribute(name, value);
    return true;
}

void RichEditUI::DoEvent(UiEvent& event) {
    if (event.type == EventType::ScrollWheel) {
        SetScrollPos(scrollY_ + (event.wheelDelta > 0 ? -kWheelStep : kWheelStep));
        return;
    }
    LabelUI::DoEvent(event);
}

void RichEditUI::PaintText(Canvas& canvas) {
    if (text_.empty() || !manager_) return;
    const Rect area = TextRect();
    if (area.IsEmpty()) return;
    const int range = GetScrollRange();
    const Size content =
        manager_->Text().Measure(Rich(), Style(), *manager_, std::max(1, area.Width()));
    canvas.PushClip(area);
    Rect textRect{area.left, area.top - scrollY_, area.right,
                  area.top - scrollY_ + std::max(content.cy, area.Height())};
    canvas.DrawRichText(Rich(), textRect, Style(), *manager_);
    canvas.PopClip();
    if (range > 0) {
        const Rect rail{area.right - 6, area.top, area.right, area.bottom};
        const int view = rail.Height();
        const int thumb = std::max(20, view * view / (view + range));
        const int top = rail.top + (view - thumb) * scrollY_ / range;
        canvas.FillRoundRect({rail.left, top, rail.right, top + thumb}, {3, 3}, 0xFFC1C1C1);
    }
}

}  // namespace toolkit
