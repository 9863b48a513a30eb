#include "ui/CAnimaEx.h"

#include <filesystem>

#include "platform/FsPath.h"
#include "toolkit/Button.h"
#include "toolkit/Label.h"
#include "toolkit/UiManager.h"

namespace {

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(platform::Utf8Path(path), ec);
}

}  // namespace

CAnimaEx::CAnimaEx(IAnimaCallback* window, toolkit::ContainerUI* banner, toolkit::ContainerUI* dots)
    : window_(window), banner_(banner), dots_(dots) {
    // Timers reach the carousel through the banner's window.
    if (banner_) SetManager(banner_->GetManager(), nullptr);
}

CAnimaEx::~CAnimaEx() {
    if (manager_) manager_->KillTimer(this, kSlideTimerId);
}

void CAnimaEx::Initialise() {
    const int count = window_ ? window_->GetSlideCount() : 0;
    slideWidth_ = window_ ? window_->GetSlideWidth() : 0;
    slideHeight_ = window_ ? window_->GetSlideHeight() : 0;
    slides_.clear();
    for (int i = 0; i < count && banner_; ++i) {
        toolkit::Control* page = banner_->GetItemAt(i);
        if (!page || page->GetBkImage().empty()) continue;
        Slide slide{page->GetBkImage(), {}};
        if (auto* container = page->As<toolkit::ContainerUI>("Container");
            container && container->GetCount() > 0)
            slide.text = container->GetItemAt(0)->GetText();
        const std::string picture = window_->GetBannerPicture(i + 1);
        if (FileExists(picture)) slide.image = picture;
        slides_.push_back(std::move(slide));
    }
    if (!banner_) return;
    banner_->RemoveAll();
    if (!slides_.empty()) {
        current_ = 0;
        banner_->Add(BuildPage(0));
        initialised_ = true;
    }
}

std::unique_ptr<toolkit::Control> CAnimaEx::BuildPage(int index) {
    const Slide& slide = slides_[static_cast<std::size_t>(index)];
    auto page = std::make_unique<toolkit::VerticalLayoutUI>();
    page->SetFixedWidth(slideWidth_);
    page->SetFixedHeight(slideHeight_);
    page->SetBkImage(slide.image);
    auto label = std::make_unique<toolkit::LabelUI>();
    label->SetName("animatext");
    label->SetFixedWidth(650);
    label->SetFixedHeight(92);
    label->SetTextPadding({25, 0, 25, 0});
    label->SetText(slide.text);
    label->SetTextColor(0xFF333333);
    label->SetAttribute("align", "center");
    label->SetAttribute("valign", "vcenter");
    label->SetAttribute("wordbreak", "true");
    if (manager_ && window_) {
        toolkit::FontDesc font;
        font.face = window_->GetSlideFontFace();
        font.size = 14;
        label->SetFont(manager_->FindFont(font));
    }
    page->Add(std::move(label));
    page->Add(std::make_unique<toolkit::Control>());
    return page;
}

void CAnimaEx::SlideTo(int index) {
    if (!initialised_) Initialise();
    const int count = SlideCount();
    if (sliding_ || count < 2 || index == current_ || !banner_ || !manager_) return;
    sliding_ = true;
    if (dots_) dots_->SetEnabled(false);
    firstStep_ = true;
    direction_ = current_ < index ? -1 : 1;
    target_ = ((index % count) + count) % count;
    if (direction_ < 0)
        banner_->Add(BuildPage(target_));
    else
        banner_->AddAt(BuildPage(target_), 0);
    remaining_ = banner_->GetPos().Width();
    step_ = remaining_ / kStepCount;
    offset_ = 0;
    manager_->SetTimer(this, kSlideTimerId, kStepIntervalMs);
}

void CAnimaEx::Tick() {
    if (!sliding_) return;
    if (step_ < remaining_)
        remaining_ -= step_;
    else
        step_ = remaining_, remaining_ = 0;
    // The inserted page starts just outside the left edge.
    if (firstStep_ && direction_ > 0) offset_ += slideWidth_;
    offset_ -= step_ * direction_;
    firstStep_ = false;
    banner_->SetContentOffsetX(offset_);
    if (remaining_ == 0) Finish();
}

void CAnimaEx::Finish() {
    manager_->KillTimer(this, kSlideTimerId);
    banner_->RemoveAt(direction_ > 0 ? 1 : 0);
    banner_->SetContentOffsetX(0);
    sliding_ = false;
    if (dots_) dots_->SetEnabled(true);
    direction_ = 0;
    current_ = target_;
    for (int i = 0; dots_ && i < dots_->GetCount(); ++i) {
        if (auto* dot = dots_->GetItemAt(i)->As<toolkit::OptionUI>("Option")) {
            if (i == current_) dot->Selected(true, false);
        }
    }
    for (int i = 0; dots_ && i < dots_->GetCount(); ++i) {
        if (auto* dot = dots_->GetItemAt(i)->As<toolkit::OptionUI>("Option"); dot && i != current_)
            dot->Selected(false, false);
    }
}

void CAnimaEx::RefreshBanners() {
    for (std::size_t i = 0; i < slides_.size(); ++i) {
        const std::string picture =
            window_ ? window_->GetBannerPicture(static_cast<int>(i) + 1) : std::string();
        if (FileExists(picture)) slides_[i].image = picture;
        slides_[i].text.clear();
    }
}

void CAnimaEx::DoEvent(toolkit::UiEvent& event) {
    if (event.type == toolkit::EventType::Timer && event.timerId == kSlideTimerId) return Tick();
    Control::DoEvent(event);
}
