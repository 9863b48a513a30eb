#include "toolkit/Label.h"

#include <algorithm>

#include "core/AttributeTable.h"
#include "toolkit/UiManager.h"

namespace toolkit {

void* LabelUI::GetInterface(std::string_view name) {
    return name == "Label" ? this : Control::GetInterface(name);
}

void LabelUI::SetText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    richValid_ = false;
    hotLink_ = -1;
    if (autoCalcWidth_ || autoCalcHeight_)
        NeedUpdate();
    else
        Invalidate();
}

void LabelUI::SetTextColor(Color color) {
    textColor_ = color;
    Invalidate();
}

void LabelUI::SetTextPadding(const Rect& padding) {
    textPadding_ = padding;
    Invalidate();
}

const RichText& LabelUI::Rich() const {
    if (!richValid_) {
        rich_ = showHtml_ ? ParseMarkup(text_) : PlainRichText(text_);
        richValid_ = true;
    }
    return rich_;
}

Color LabelUI::StateTextColor() const {
    if (!enabled_ && disabledTextColor_ != 0) return disabledTextColor_;
    return textColor_ != 0 ? textColor_ : 0xFF000000;
}

TextStyle LabelUI::Style() const {
    TextStyle style;
    style.font = font_;
    style.color = StateTextColor();
    if (manager_) {
        style.linkColor = manager_->Window().linkColor;
        style.linkHoverColor = manager_->Window().linkHoverColor;
    }
    style.hotLink = hotLink_;
    style.rightToLeft = manager_ && manager_->IsRightToLeft();
    style.align = MirroredAlign(align_, style.rightToLeft);
    style.valign = valign_;
    style.wordBreak = wordBreak_;
    style.endEllipsis = endEllipsis_;
    return style;
}

Rect LabelUI::TextRect() const { return pos_.Deflate(TextEdges()); }

Rect LabelUI::ReadingTextPadding() const {
    if (!manager_ || !manager_->IsRightToLeft()) return textPadding_;
    return {textPadding_.right, textPadding_.top, textPadding_.left, textPadding_.bottom};
}

Rect LabelUI::TextEdgesWithin(const Rect& inset) const {
    const Rect padding = ReadingTextPadding();
    return {inset.left + padding.left, inset.top + padding.top, inset.right + padding.right,
            inset.bottom + padding.bottom};
}

Size LabelUI::EstimateSize(Size available) {
    Size size = Control::EstimateSize(available);
    if (!manager_ || !(autoCalcWidth_ || autoCalcHeight_)) return size;
    const Rect edges = TextEdges();
    if (autoCalcWidth_) {
        const Size text = manager_->Text().Measure(Rich(), Style(), *manager_, 0);
        size.cx = std::max(text.cx + edges.left + edges.right, minWidth_);
    }
    if (autoCalcHeight_) {
        const int width = (size.cx > 0 ? size.cx : available.cx) - edges.left - edges.right;
        TextStyle style = Style();
        style.wordBreak = true;
        const Size text = manager_->Text().Measure(Rich(), style, *manager_, std::max(1, width));
        size.cy = std::max(text.cy + edges.top + edges.bottom, minHeight_);
    }
    return size;
}

namespace {

const AttributeSetter<LabelUI> kLabelAttributes[] = {
    {"textcolor", [](LabelUI& c, std::string_view v) { c.SetTextColor(ParseColor(v)); }},
    {"textpadding", [](LabelUI& c, std::string_view v) { c.SetTextPadding(ParseRect(v)); }},
};

}  // namespace

bool LabelUI::SetAttribute(std::string_view name, std::string_view value) {
    if (ApplyAttribute(kLabelAttributes, *this, name, value)) return true;
    if (name == "disabledtextcolor")
        disabledTextColor_ = ParseColor(value);
    else if (name == "align")
        align_ = ParseHAlign(value);
    else if (name == "valign")
        valign_ = ParseVAlign(value);
    else if (name == "wordbreak")
        wordBreak_ = ParseBool(value);
    else if (name == "endellipsis")
        endEllipsis_ = ParseBool(value);
    else if (name == "showhtml") {
        showHtml_ = ParseBool(value);
        richValid_ = false;
    } else if (name == "autocalcwidth")
        autoCalcWidth_ = ParseBool(value);
    else if (name == "autocalcheight")
        autoCalcHeight_ = ParseBool(value);
    else if (name == "multiline")
        wordBreak_ = wordBreak_ || ParseBool(value);
    else
        return Control::SetAttribute(name, value);
    return true;
}

void LabelUI::PaintText(Canvas& canvas) {
    if (text_.empty() || !manager_) return;
    const Rect area = TextRect();
    if (area.IsEmpty()) return;
    canvas.DrawRichText(Rich(), area, Style(), *manager_);
}

// ---- Text ----

TextUI::TextUI() { wordBreak_ = false; }

void* TextUI::GetInterface(std::string_view name) {
    return name == "Text" ? this : LabelUI::GetInterface(name);
}

Rect TextUI::TextEdges() const { return TextEdgesWithin(inset_); }

bool TextUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "inset")
        inset_ = ParseRect(value);
    else if (name == "menu") {
    } else
        return LabelUI::SetAttribute(name, value);
    return true;
}

int TextUI::LinkAt(Point pt) const {
    if (!manager_ || Rich().linkCount == 0) return -1;
    return manager_->Text().LinkAt(Rich(), Style(), *manager_, TextRect(), pt);
}

void TextUI::DoEvent(UiEvent& event) {
    switch (event.type) {
        case EventType::MouseMove: {
            const int link = LinkAt(event.pt);
            if (link != hotLink_) {
                hotLink_ = link;
                handCursor_ = link >= 0;
                Invalidate();
            }
            return;
        }
        case EventType::MouseLeave:
            if (hotLink_ >= 0) {
                hotLink_ = -1;
                Invalidate();
            }
            return;
        case EventType::ButtonDown:
            pressedLink_ = enabled_ ? LinkAt(event.pt) : -1;
            return;
        case EventType::ButtonUp: {
            const int link = LinkAt(event.pt);
            if (link >= 0 && link == pressedLink_ && manager_)
                manager_->SendNotify(this, "link", link);
            pressedLink_ = -1;
            return;
        }
        default:
            LabelUI::DoEvent(event);
    }
}

}  // namespace toolkit
