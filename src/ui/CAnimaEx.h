// The banner carousel of the running page. It takes the banner pages the layout built, keeps
// one page on screen and slides to another in 15 steps of 20 ms (timer 6375); the dots are
// disabled while a slide runs and show the current slide afterwards.
#pragma once

#include <string>
#include <vector>

#include "toolkit/Container.h"
#include "toolkit/Control.h"

// What the carousel asks of its window.
class IAnimaCallback {
public:
    virtual ~IAnimaCallback() = default;
    virtual int GetSlideCount() = 0;
    virtual int GetSlideWidth() = 0;
    virtual int GetSlideHeight() = 0;
    // Face of the slide texts for the current language.
    virtual std::string GetSlideFontFace() = 0;
    // Path on disk of the server banner picture for `key` (1-based), empty when none.
    virtual std::string GetBannerPicture(int key) = 0;
};

class CAnimaEx : public toolkit::Control {
public:
    static constexpr int kSlideTimerId = 6375;
    static constexpr unsigned kStepIntervalMs = 20;
    static constexpr int kStepCount = 15;

    CAnimaEx(IAnimaCallback* window, toolkit::ContainerUI* banner, toolkit::ContainerUI* dots);
    ~CAnimaEx() override;

    // Slides to `index` (wrapping at the slide count); ignored while sliding, with fewer than
    // two slides, or when `index` is the current slide.
    void SlideTo(int index);
    void SlideNext() { SlideTo(current_ + 1); }
    // Server banners have arrived: pictures that exist on disk replace the package ones and the
    // slide texts are dropped. Pages already on screen keep their look until rebuilt.
    void RefreshBanners();

    bool IsSliding() const { return sliding_; }
    bool IsInitialised() const { return initialised_; }
    int Current() const { return current_; }
    int SlideCount() const { return static_cast<int>(slides_.size()); }
    const std::string& SlideImage(int i) const {
        return slides_[static_cast<std::size_t>(i)].image;
    }
    const std::string& SlideText(int i) const { return slides_[static_cast<std::size_t>(i)].text; }

    void DoEvent(toolkit::UiEvent& event) override;

private:
    struct Slide {
        std::string image;
        std::string text;
    };
    void Initialise();
    std::unique_ptr<toolkit::Control> BuildPage(int index);
    void Tick();
    void Finish();

    IAnimaCallback* window_;
    toolkit::ContainerUI* banner_;
    toolkit::ContainerUI* dots_;
    std::vector<Slide> slides_;
    int current_ = 0;
    int target_ = 0;
    bool sliding_ = false;
    bool initialised_ = false;
    int direction_ = 0;
    int remaining_ = 0;
    int step_ = 0;
    bool firstStep_ = false;
    int offset_ = 0;
    int slideWidth_ = 0;
    int slideHeight_ = 0;
};
