#include "ui/CProgressExUI.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "toolkit/UiManager.h"

namespace {

// a * b / c rounded half away from zero.
int MulDivRounded(int a, int b, int c) {
    if (c == 0) return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const long long q = ((product < 0) != (c < 0)) ? (product - half) / c : (product + half) / c;
    return static_cast<int>(q);
}

std::string RectText(int l, int t, int r, int b) {
    return std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
           std::to_string(b);
}

}  // namespace

CProgressExUI::~CProgressExUI() { StopMoving(); }

void* CProgressExUI::GetInterface(std::string_view name) {
    return name == "ProgressEx" ? this : ProgressUI::GetInterface(name);
}

bool CProgressExUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name != "moveforeimage") return ProgressUI::SetAttribute(name, value);
    if (value != moveImagePath_) {
        moveImagePath_ = std::string(value);
        moveImage_.reset();
        Invalidate();
    }
    return true;
}

void CProgressExUI::StopMoving() {
    if (manager_) manager_->KillTimer(this, kMoveTimerId);
    moveImage_.reset();
}

void CProgressExUI::PaintStatusImage(toolkit::Canvas& canvas) {
    ProgressUI::PaintStatusImage(canvas);
    if (value_ == min_ || moveImagePath_.empty() || !manager_) return;
    if (!moveImage_) {
        moveImage_ = manager_->GetImage(toolkit::ParseImageDescriptor(moveImagePath_).file);
        if (!moveImage_) return;
        manager_->SetTimer(this, kMoveTimerId, kMoveIntervalMs);
    }
    if (value_ == max_) {
        moveRect_ = {};
        StopMoving();
        return;
    }
    toolkit::Rect filled = FilledRect();
    const int scale = manager_->ScalePercent();
    filled = {MulDivRounded(filled.left, 100, scale), MulDivRounded(filled.top, 100, scale),
              MulDivRounded(filled.right, 100, scale), MulDivRounded(filled.bottom, 100, scale)};

    const int imageW = moveImage_->Width(), imageH = moveImage_->Height();
    if (moveRect_.Width() <= 0) {
        moveRect_.left = filled.left;
        moveRect_.top = filled.top;
    }
    moveRect_.right = std::min(filled.right, moveRect_.left + imageW);
    moveRect_.bottom = std::min(filled.bottom, moveRect_.top + imageH);
    const bool wideEnough = !horizontal_ || moveRect_.Width() * 2 >= imageW;
    if (wideEnough && moveRect_.Height() * 2 >= imageH) {
        const toolkit::Rect dest = AsDrawn(moveRect_, MulDivRounded(pos_.Width(), 100, scale));
        const std::string modify =
            "dest='" + RectText(dest.left, dest.top, dest.right, dest.bottom) + "' source='" +
            RectText(0, 0, std::min(imageW, moveRect_.Width()),
                     std::min(imageH, moveRect_.Height())) +
            "'";
        DrawImage(canvas, moveImagePath_, modify);
    } else {
        // Less than half the highlight still fits: start again from the beginning.
        moveRect_.left = filled.left;
        moveRect_.top = filled.top;
    }
}

void CProgressExUI::Step() {
    if (max_ <= min_) return;
    const long long range = static_cast<long long>(max_) - min_;
    const int step =
        toolkit::ClampCoordinate(std::max(1LL, static_cast<long long>(value_) * 20 / range));
    if (horizontal_)
        moveRect_.left += step;
    else
        moveRect_.top += step;
    Invalidate();
}

void CProgressExUI::DoEvent(toolkit::UiEvent& event) {
    if (event.type == toolkit::EventType::Timer && event.timerId == kMoveTimerId) return Step();
    ProgressUI::DoEvent(event);
}
