// A progress bar with a highlight picture (`moveforeimage`) sliding along its filled part,
// moved by timer 1697 every 100 ms, faster the further the bar is filled.
#pragma once

#include "toolkit/Image.h"
#include "toolkit/Progress.h"

class CProgressExUI : public toolkit::ProgressUI {
public:
    static constexpr int kMoveTimerId = 1697;
    static constexpr unsigned kMoveIntervalMs = 100;

    ~CProgressExUI() override;
    std::string GetClass() const override { return "ProgressExUI"; }
    void* GetInterface(std::string_view name) override;
    void DoEvent(toolkit::UiEvent& event) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(toolkit::Canvas& canvas) override;

    const std::string& MoveImagePath() const { return moveImagePath_; }
    bool HasMoveImage() const { return moveImage_ != nullptr; }
    // The highlight, relative to the control and measured from the bar's start edge (the right
    // one in a right-to-left window), in unscaled layout units.
    const toolkit::Rect& MoveRect() const { return moveRect_; }

private:
    void StopMoving();
    void Step();

    std::string moveImagePath_;
    toolkit::ImagePtr moveImage_;
    toolkit::Rect moveRect_;
};
