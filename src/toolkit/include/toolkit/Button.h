// Push buttons, options (one selected per group) and check boxes.
#pragma once

#include "toolkit/Label.h"
#include "toolkit/StateLook.h"

namespace toolkit {

class ButtonUI : public LabelUI {
public:
    ButtonUI();
    std::string GetClass() const override { return "ButtonUI"; }
    void* GetInterface(std::string_view name) override;
    bool TakesCaptionClicks() const override { return true; }
    bool IsFocusable() const override { return true; }

    bool IsHot() const { return hot_; }
    bool IsPushed() const { return pushed_; }
    Color GetHotBkColor() const { return bkColors_.hot; }

    Size EstimateSize(Size available) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(UiEvent& event) override;
    bool Activate() override;
    void PaintBkColor(Canvas& canvas) override;
    void PaintStatusImage(Canvas& canvas) override;
    void SetEnabled(bool enabled) override;

protected:
    Color StateTextColor() const override;
    ControlState State() const { return {!enabled_, pushed_, hot_}; }

    bool hot_ = false;
    bool pushed_ = false;
    StateColors bkColors_;
    StateColors textColors_;
    StateImages images_;
};

class OptionUI : public ButtonUI {
public:
    ~OptionUI() override;
    std::string GetClass() const override { return "OptionUI"; }
    void* GetInterface(std::string_view name) override;

    bool IsSelected() const { return selected_; }
    // Selecting one option of a group deselects the others; "selectchanged" goes out for every
    // change when `notify` is set.
    virtual void Selected(bool selected, bool notify = true);
    const std::string& GetGroup() const { return group_; }
    void SetGroup(std::string group);
    Color GetSelectedBkColor() const { return selectedBkColor_; }

    void SetManager(UiManager* manager, Control* parent) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    bool Activate() override;
    void PaintBkColor(Canvas& canvas) override;
    void PaintStatusImage(Canvas& canvas) override;

protected:
    Color StateTextColor() const override;

    bool selected_ = false;
    std::string group_;
    Color selectedBkColor_ = 0;
    Color selectedTextColor_ = 0;
    std::string selectedImage_;
};

class CheckBoxUI : public OptionUI {
public:
    std::string GetClass() const override { return "CheckBoxUI"; }
    void* GetInterface(std::string_view name) override;
    bool IsChecked() const { return IsSelected(); }
    void SetCheck(bool check, bool notify = true) { Selected(check, notify); }
};

}  // namespace toolkit
