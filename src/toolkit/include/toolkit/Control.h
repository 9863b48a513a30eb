// The base of every control: identity, geometry, look, state, attributes, painting and events.
// Controls live on the UI thread. A container owns its children; everything else holds plain
// pointers that stay valid while the control is in its tree. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/Canvas.h"
#include "toolkit/Geometry.h"
#include "toolkit/ValueSyntax.h"

namespace toolkit {

class UiManager;

enum class EventType {
    MouseEnter,
    MouseLeave,
    MouseMove,
    ButtonDown,
    ButtonUp,
    DoubleClick,
    ScrollWheel,
    Timer
};

struct UiEvent {
    EventType type = EventType::MouseMove;
    Point pt;
    int timerId = 0;
    int wheelDelta = 0;  // positive = away from the user (scroll up)
};

class Control {
public:
    Control();
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The class name ("ButtonUI") and the interface query: a class answers its own interface name
    // ("Button") with itself and passes every other name to its base.
    virtual std::string GetClass() const { return "ControlUI"; }
    virtual void* GetInterface(std::string_view name);
    template <class T>
    T* As(std::string_view name) {
        return static_cast<T*>(GetInterface(name));
    }

    // Tree.
    UiManager* GetManager() const { return manager_; }
    Control* GetParent() const { return parent_; }
    virtual void SetManager(UiManager* manager, Control* parent);
    // This control or a descendant with that name.
    virtual Control* FindSubControl(std::string_view name);
    // The deepest visible control under `pt` that takes the mouse.
    virtual Control* FindControlAt(Point pt);

    const std::string& GetName() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    virtual std::string GetText() const { return text_; }
    virtual void SetText(std::string text);
    const std::string& GetUserData() const { return userData_; }
    void SetUserData(std::string data) { userData_ = std::move(data); }
    const std::string& GetToolTip() const { return toolTip_; }
    std::intptr_t GetTag() const { return tag_; }
    void SetTag(std::intptr_t tag) { tag_ = tag; }

    // State.
    bool IsVisible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool IsEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    bool IsMouseEnabled() const { return mouseEnabled_; }
    bool IsFloat() const { return float_; }
    bool IsHandCursor() const { return handCursor_; }
    // Whether a press inside a window's caption band goes to this control instead of moving the
    // window.
    virtual bool TakesCaptionClicks() const { return false; }
    // Whether Tab stops here (interactive controls that act on keys or take typed text).
    virtual bool IsFocusable() const { return false; }
    // Whether this control and every parent are visible and enabled.
    bool IsVisibleInTree() const;
    bool IsEnabledInTree() const;

    // Look.
    Color GetBkColor() const { return bkColor_; }
    void SetBkColor(Color color);
    const std::string& GetBkImage() const { return bkImage_; }
    void SetBkImage(std::string image);
    Color GetBorderColor() const { return borderColor_; }
    void SetBorderColor(Color color);
    const Rect& GetBorderSize() const { return borderSize_; }
    Radii GetColorRound() const { return colorRound_; }
    Radii GetBorderRound() const { return borderRound_; }
    int GetFont() const { return font_; }
    void SetFont(int id);

    // Geometry. Fixed sizes of 0 stretch.
    const Rect& GetPos() const { return pos_; }
    virtual void SetPos(const Rect& rect);
    // Moves the control and its descendants without a new layout.
    virtual void Move(int dx, int dy);
    const Rect& GetPadding() const { return padding_; }
    void SetPadding(const Rect& padding);
    int GetFixedWidth() const { return fixedWidth_; }
    int GetFixedHeight() const { return fixedHeight_; }
    void SetFixedWidth(int width);
    void SetFixedHeight(int height);
    int GetMinWidth() const { return minWidth_; }
    int GetMaxWidth() const { return maxWidth_; }
    int GetMinHeight() const { return minHeight_; }
    int GetMaxHeight() const { return maxHeight_; }
    const Rect& GetFloatPos() const { return floatPos_; }
    FloatAlign GetFloatAlign() const { return floatAlign_; }
    // The size this control asks of its layout; 0 in a dimension = take what is left.
    virtual Size EstimateSize(Size available);

    // Applies one attribute of a layout document; false when the name is unknown here.
    virtual bool SetAttribute(std::string_view name, std::string_view value);
    // Applies an attribute string name="value" name2='value' …
    void ApplyAttributeList(std::string_view list);

    virtual void DoPaint(Canvas& canvas, const Rect& clip);
    virtual void PaintBkColor(Canvas& canvas);
    virtual void PaintBkImage(Canvas& canvas);
    virtual void PaintStatusImage(Canvas& canvas);
    virtual void PaintText(Canvas& canvas);
    virtual void PaintBorder(Canvas& canvas);
    // Draws an image attribute inside this control; false when the picture is not available.
    bool DrawImage(Canvas& canvas, std::string_view descriptor, std::string_view modify = {});

    virtual void DoEvent(UiEvent& event);
    // What a click does (buttons notify "click"); false when the control cannot act now.
    virtual bool Activate();

    void Invalidate();
    // Asks the window for a new layout before the next paint.
    void NeedUpdate();

protected:
    // Fills the control's area with `color`, rounded by colorround; nothing for 0.
    void FillBkColor(Canvas& canvas, Color color);
    // For controls that light up under the pointer and act on a click. Enter and Leave set
    // `hot`; true when `event` was one of them.
    bool TrackHover(const UiEvent& event, bool& hot);
    // A press counts only while the control is enabled.
    void Press(bool& pushed);
    // Ends a press; the control acts when the press ends over it.
    void Release(bool& pushed, Point pt);

    UiManager* manager_ = nullptr;
    Control* parent_ = nullptr;
    std::string name_;
    std::string text_;
    std::string userData_;
    std::string toolTip_;
    std::intptr_t tag_ = 0;
    Rect pos_;
    Rect padding_;
    Rect floatPos_;
    FloatAlign floatAlign_;
    int fixedWidth_ = 0;
    int fixedHeight_ = 0;
    int minWidth_ = 0;
    int maxWidth_ = 9999;
    int minHeight_ = 0;
    int maxHeight_ = 9999;
    bool visible_ = true;
    bool enabled_ = true;
    bool mouseEnabled_ = true;
    bool float_ = false;
    bool handCursor_ = false;
    bool noClip_ = false;
    Color bkColor_ = 0;
    std::string bkImage_;
    Color borderColor_ = 0;
    Rect borderSize_;
    Radii borderRound_;
    Radii colorRound_;
    int font_ = -1;
};

}  // namespace toolkit
