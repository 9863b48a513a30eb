// Controls that hold controls: Container (children overlap and fill it), VerticalLayout,
// HorizontalLayout and TabLayout (one page visible at a time).
#pragma once

#include <memory>
#include <vector>

#include "toolkit/Control.h"

namespace toolkit {

class ContainerUI : public Control {
public:
    std::string GetClass() const override { return "ContainerUI"; }
    void* GetInterface(std::string_view name) override;

    int GetCount() const { return static_cast<int>(items_.size()); }
    Control* GetItemAt(int index) const;
    int GetItemIndex(const Control* control) const;
    bool Add(std::unique_ptr<Control> control);
    virtual bool AddAt(std::unique_ptr<Control> control, int index);
    // Removes and destroys.
    bool Remove(Control* control);
    virtual bool RemoveAt(int index);
    virtual void RemoveAll();
    // Removes without destroying.
    std::unique_ptr<Control> Take(Control* control);

    const Rect& GetInset() const { return inset_; }
    void SetInset(const Rect& inset);
    HAlign GetChildAlign() const { return childAlign_; }
    VAlign GetChildVAlign() const { return childVAlign_; }

    void SetManager(UiManager* manager, Control* parent) override;
    Control* FindSubControl(std::string_view name) override;
    Control* FindControlAt(Point pt) override;
    void SetPos(const Rect& rect) override;
    void Move(int dx, int dy) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DoPaint(Canvas& canvas, const Rect& clip) override;
    void DoEvent(UiEvent& event) override;

    // Vertical scrolling (vscrollbar="true"): the content height beyond the visible area.
    bool HasVScrollBar() const { return vScroll_; }
    int GetScrollPos() const { return scrollY_; }
    int GetScrollRange() const { return scrollRange_; }
    void SetScrollPos(int y);
    // Shifts the children of a horizontal layout left by `x` pixels (carousels slide with it).
    int GetContentOffsetX() const { return contentOffsetX_; }
    void SetContentOffsetX(int x);

protected:
    // Places a float child by its pos and floatalign inside this container.
    void SetFloatPos(Control& child) const;
    // Hidden children take no place and float ones are placed by their own pos; true for both,
    // which the layout then skips.
    bool PlacedApart(Control& child) const;
    // The area children are laid out in: the position less the inset and the scroll bar.
    Rect ContentRect() const;
    void PaintScrollBar(Canvas& canvas);
    bool ReadsRightToLeft() const;
    // Right to left, the laid-out children swap sides within `content`.
    void MirrorIfRightToLeft(const Rect& content);

    enum class Axis { Horizontal, Vertical };
    // Stacks the visible children one after another along `direction` from `start`, stretching
    // those without a size there to share the spare room; returns where the stack ends.
    int StackItems(Axis direction, const Rect& content, int start);

    std::vector<std::unique_ptr<Control>> items_;
    Rect inset_;
    HAlign childAlign_ = HAlign::Left;
    VAlign childVAlign_ = VAlign::Top;
    bool vScroll_ = false;
    int scrollY_ = 0;
    int scrollRange_ = 0;
    int contentOffsetX_ = 0;
};

class VerticalLayoutUI : public ContainerUI {
public:
    std::string GetClass() const override { return "VerticalLayoutUI"; }
    void* GetInterface(std::string_view name) override;
    void SetPos(const Rect& rect) override;
};

class HorizontalLayoutUI : public ContainerUI {
public:
    std::string GetClass() const override { return "HorizontalLayoutUI"; }
    void* GetInterface(std::string_view name) override;
    void SetPos(const Rect& rect) override;
};

class TabLayoutUI : public ContainerUI {
public:
    std::string GetClass() const override { return "TabLayoutUI"; }
    void* GetInterface(std::string_view name) override;
    int GetCurSel() const { return curSel_; }
    bool SelectItem(int index);
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void SetPos(const Rect& rect) override;

private:
    int curSel_ = 0;
};

}  // namespace toolkit
