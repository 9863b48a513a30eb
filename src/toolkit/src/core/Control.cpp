#include "toolkit/Control.h"

#include "core/AttributeTable.h"
#include "toolkit/UiManager.h"

namespace toolkit {

Control::Control() = default;

Control::~Control() {
    if (manager_) manager_->ForgetControl(this);
}

void* Control::GetInterface(std::string_view name) { return name == "Control" ? this : nullptr; }

void Control::SetManager(UiManager* manager, Control* parent) {
    if (manager_ && manager_ != manager) manager_->ForgetControl(this);
    manager_ = manager;
    parent_ = parent;
}

Control* Control::FindSubControl(std::string_view name) { return name_ == name ? this : nullptr; }

Control* Control::FindControlAt(Point pt) {
    if (!visible_ || !mouseEnabled_ || !pos_.Contains(pt)) return nullptr;
    return this;
}

void Control::SetText(std::string text) {
    if (text_ == text) return;
    text_ = std::move(text);
    Invalidate();
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    NeedUpdate();
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

void Control::SetBkColor(Color color) {
    bkColor_ = color;
    Invalidate();
}

void Control::SetBkImage(std::string image) {
    if (bkImage_ == image) return;
    bkImage_ = std::move(image);
    Invalidate();
}

void Control::SetBorderColor(Color color) {
    borderColor_ = color;
    Invalidate();
}

void Control::SetFont(int id) {
    font_ = id;
    Invalidate();
}

void Control::SetPos(const Rect& rect) {
    pos_ = {ClampCoordinate(rect.left), ClampCoordinate(rect.top), ClampCoordinate(rect.right),
            ClampCoordinate(rect.bottom)};
    if (pos_.right < pos_.left) pos_.right = pos_.left;
    if (pos_.bottom < pos_.top) pos_.bottom = pos_.top;
}

void Control::Move(int dx, int dy) {
    const auto shift = [](int v, int d) { return ClampCoordinate(static_cast<long long>(v) + d); };
    pos_ = {shift(pos_.left, dx), shift(pos_.top, dy), shift(pos_.right, dx),
            shift(pos_.bottom, dy)};
}

void Control::SetPadding(const Rect& padding) {
    padding_ = padding;
    NeedUpdate();
}

void Control::SetFixedWidth(int width) {
    fixedWidth_ = width < 0 ? 0 : width;
    NeedUpdate();
}

void Control::SetFixedHeight(int height) {
    fixedHeight_ = height < 0 ? 0 : height;
    NeedUpdate();
}

Size Control::EstimateSize(Size) { return {fixedWidth_, fixedHeight_}; }

namespace {

const AttributeSetter<Control> kControlAttributes[] = {
    {"name", [](Control& c, std::string_view v) { c.SetName(std::string(v)); }},
    {"text", [](Control& c, std::string_view v) { c.SetText(std::string(v)); }},
    {"userdata", [](Control& c, std::string_view v) { c.SetUserData(std::string(v)); }},
    {"visible", [](Control& c, std::string_view v) { c.SetVisible(ParseBool(v)); }},
    {"enabled", [](Control& c, std::string_view v) { c.SetEnabled(ParseBool(v)); }},
    {"bkcolor", [](Control& c, std::string_view v) { c.SetBkColor(ParseColor(v)); }},
    {"bkimage", [](Control& c, std::string_view v) { c.SetBkImage(std::string(v)); }},
    {"bordercolor", [](Control& c, std::string_view v) { c.SetBorderColor(ParseColor(v)); }},
    {"font", [](Control& c, std::string_view v) { c.SetFont(ParseInt(v)); }},
    {"width", [](Control& c, std::string_view v) { c.SetFixedWidth(ParseInt(v)); }},
    {"height", [](Control& c, std::string_view v) { c.SetFixedHeight(ParseInt(v)); }},
    {"padding", [](Control& c, std::string_view v) { c.SetPadding(ParseRect(v)); }},
};

}  // namespace

bool Control::SetAttribute(std::string_view name, std::string_view value) {
    if (ApplyAttribute(kControlAttributes, *this, name, value)) return true;
    if (name == "pos") {
        floatPos_ = ParseRect(value);
        const int w = floatPos_.Width(), h = floatPos_.Height();
        if (w > 0 && fixedWidth_ == 0) fixedWidth_ = w;
        if (h > 0 && fixedHeight_ == 0) fixedHeight_ = h;
    } else if (name == "float")
        float_ = ParseBool(value);
    else if (name == "floatalign")
        floatAlign_ = ParseFloatAlign(value);
    else if (name == "bordersize")
        borderSize_ = ParseBorderSize(value);
    else if (name == "borderround")
        borderRound_ = ParseRadii(value);
    else if (name == "colorround")
        colorRound_ = ParseRadii(value);
    else if (name == "mouse")
        mouseEnabled_ = ParseBool(value);
    else if (name == "cursor")
        handCursor_ = value == "hand";
    else if (name == "noclip")
        noClip_ = ParseBool(value);
    else if (name == "tooltip")
        toolTip_ = std::string(value);
    else if (name == "minwidth")
        minWidth_ = ParseInt(value);
    else if (name == "maxwidth")
        maxWidth_ = ParseInt(value);
    else if (name == "minheight")
        minHeight_ = ParseInt(value);
    else if (name == "maxheight")
        maxHeight_ = ParseInt(value);
    else
        return false;
    return true;
}

void Control::ApplyAttributeList(std::string_view list) {
    for (const auto& [name, value] : ParseAttributeList(list)) SetAttribute(name, value);
}

void Control::DoPaint(Canvas& canvas, const Rect& clip) {
    if (!pos_.Intersects(clip)) return;
    PaintBkColor(canvas);
    PaintBkImage(canvas);
    PaintStatusImage(canvas);
    PaintText(canvas);
    PaintBorder(canvas);
}

void Control::PaintBkColor(Canvas& canvas) { FillBkColor(canvas, bkColor_); }

void Control::FillBkColor(Canvas& canvas, Color color) {
    if (color == 0) return;
    if (colorRound_.IsZero())
        canvas.FillRect(pos_, color);
    else
        canvas.FillRoundRect(pos_, colorRound_, color);
}

bool Control::TrackHover(const UiEvent& event, bool& hot) {
    if (event.type != EventType::MouseEnter && event.type != EventType::MouseLeave) return false;
    hot = event.type == EventType::MouseEnter;
    Invalidate();
    return true;
}

void Control::Press(bool& pushed) {
    if (!enabled_) return;
    pushed = true;
    Invalidate();
}

void Control::Release(bool& pushed, Point pt) {
    const bool wasPushed = pushed;
    pushed = false;
    Invalidate();
    if (wasPushed && enabled_ && pos_.Contains(pt)) Activate();
}

void Control::PaintBkImage(Canvas& canvas) {
    if (!bkImage_.empty()) DrawImage(canvas, bkImage_);
}

void Control::PaintStatusImage(Canvas&) {}
void Control::PaintText(Canvas&) {}

void Control::PaintBorder(Canvas& canvas) {
    if (borderColor_ == 0) return;
    const Rect& b = borderSize_;
    if (b.left <= 0 && b.top <= 0 && b.right <= 0 && b.bottom <= 0) return;
    if (!borderRound_.IsZero())
        canvas.StrokeRoundRect(pos_, borderRound_, b.left, borderColor_);
    else
        canvas.StrokeRect(pos_, b, borderColor_);
}

bool Control::DrawImage(Canvas& canvas, std::string_view descriptor, std::string_view modify) {
    if (!manager_ || descriptor.empty()) return false;
    ImageDescriptor d = ParseImageDescriptor(descriptor);
    if (!modify.empty()) {
        const ImageDescriptor m = ParseImageDescriptor(modify);
        if (m.dest) d.dest = m.dest;
        if (m.source) d.source = m.source;
    }
    if (d.file.empty()) return false;
    ImagePtr image = manager_->GetImage(d.file, d.mask);
    if (!image) return false;
    ImageDraw draw;
    draw.dest = d.dest ? d.dest->Offset(pos_.left, pos_.top) : pos_;
    draw.source = d.source ? *d.source : Rect{0, 0, image->Width(), image->Height()};
    draw.source = draw.source.Intersect({0, 0, image->Width(), image->Height()});
    draw.corner = d.corner;
    draw.fade = d.fade;
    if (draw.dest.IsEmpty() || draw.source.IsEmpty()) return true;
    canvas.DrawImage(*image, draw);
    return true;
}

void Control::DoEvent(UiEvent& event) {
    if (event.type == EventType::ScrollWheel && parent_) parent_->DoEvent(event);
}

bool Control::Activate() { return visible_ && enabled_; }

bool Control::IsVisibleInTree() const {
    for (const Control* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

bool Control::IsEnabledInTree() const {
    for (const Control* c = this; c; c = c->parent_)
        if (!c->enabled_) return false;
    return true;
}

void Control::Invalidate() {
    if (manager_) manager_->Invalidate(pos_);
}

void Control::NeedUpdate() {
    if (manager_) {
        manager_->NeedLayout();
        manager_->Invalidate(manager_->Root() ? manager_->Root()->GetPos() : pos_);
    }
}

}  // namespace toolkit
