// A drop-down list of ListLabelElement items. The box shows the selected item's text; the drop
// list itself is painted and hit-tested here and shown by the shell.
#pragma once

#include "toolkit/Container.h"
#include "toolkit/Label.h"
#include "toolkit/StateLook.h"

namespace toolkit {

class ListLabelElementUI : public LabelUI {
public:
    ListLabelElementUI();
    std::string GetClass() const override { return "ListLabelElementUI"; }
    void* GetInterface(std::string_view name) override;
    bool IsSelected() const { return selected_; }
    void SetSelectedFlag(bool selected) { selected_ = selected; }
    bool SetAttribute(std::string_view name, std::string_view value) override;

private:
    bool selected_ = false;
};

class ComboUI : public ContainerUI {
public:
    ComboUI();
    std::string GetClass() const override { return "ComboUI"; }
    void* GetInterface(std::string_view name) override;
    bool TakesCaptionClicks() const override { return true; }
    bool IsFocusable() const override { return true; }

    int GetCurSel() const { return curSel_; }
    // Selects item `index` (-1 = none); "itemselect" goes out when `notify` is set and the
    // selection changed.
    bool SelectItem(int index, bool notify = true);
    // An item chosen with the keyboard in the drop list: selected, then "itemactivate".
    void ActivateItem(int index);
    ListLabelElementUI* GetListItem(int index) const;
    std::string GetText() const override;

    Size DropBoxSize() const { return dropBoxSize_; }
    // The drop list's size on screen: dropboxsize, no taller than its items need.
    Size DropListViewSize() const;
    // The drop list's content, painted into `area` (its own coordinates) with `hot` highlighted.
    int DropListHeight() const;
    void PaintDropList(Canvas& canvas, const Rect& area, int scrollY, int hot) const;
    // The item at `y` in drop-list coordinates, or -1.
    int DropListItemAt(int y, int scrollY) const;
    // The scroll position that shows the current item in a list `viewHeight` high (0 when it
    // fits or there is none).
    int DropListScrollFor(int viewHeight) const;
    // The scroll position closest to `scrollY` that shows item `index` whole.
    int DropListScrollToShow(int index, int viewHeight, int scrollY) const;

    // An item written `selected` becomes the selection as it is added (without a notification).
    bool AddAt(std::unique_ptr<Control> control, int index) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    void SetPos(const Rect& rect) override;
    Control* FindControlAt(Point pt) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DoPaint(Canvas& canvas, const Rect& clip) override;
    void DoEvent(UiEvent& event) override;
    bool Activate() override;

private:
    int ItemHeight(int index) const;

    int curSel_ = -1;
    bool hot_ = false;
    bool pushed_ = false;
    Size dropBoxSize_{0, 150};
    Rect textPadding_;
    Color textColor_ = 0;
    int itemFont_ = -1;
    Color itemTextColor_ = 0;
    Color itemSelectedTextColor_ = 0;
    Color itemSelectedBkColor_ = 0;
    Color itemHotTextColor_ = 0;
    Color itemHotBkColor_ = 0;
    Color itemDisabledTextColor_ = 0;
    Color itemDisabledBkColor_ = 0;
    StateImages images_{StateImages::DisabledImage::Left};
};

}  // namespace toolkit
