// A plain control that draws the result page's badges over its rounded background: a check mark
// on `logo_install_ok`, an X on `logo_install_fail`.
#pragma once

#include "toolkit/Control.h"

class CControlExUI : public toolkit::Control {
public:
    std::string GetClass() const override { return "ControlExUI"; }
    void* GetInterface(std::string_view name) override;
    void DoPaint(toolkit::Canvas& canvas, const toolkit::Rect& clip) override;
};
