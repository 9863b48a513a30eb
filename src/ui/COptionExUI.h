// An option with the settings chevron (`install_setting`) and the carousel dots (group
// `image_play_option`: an unselected dot is its background narrowed by 5 on both sides).
#pragma once

#include "toolkit/Button.h"

class COptionExUI : public toolkit::OptionUI {
public:
    std::string GetClass() const override { return "OptionExUI"; }
    void* GetInterface(std::string_view name) override;
    void DoPaint(toolkit::Canvas& canvas, const toolkit::Rect& clip) override;
    void PaintBkColor(toolkit::Canvas& canvas) override;
};
