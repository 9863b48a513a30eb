// InstallUIMainWnd: the running page, the result view and the banner carousel on the running
// page.
#include <cstdio>

#include "config/CConfigure.h"
#include "content/BannerContent.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"
#include "toolkit/Button.h"
#include "toolkit/Container.h"
#include "ui/InstallUIMainWnd.h"

using FuntionImpl::Utf16ToUtf8;

int InstallUIMainWnd::GetAnimaCount() {
    CVD_LOG << "start get banner count";
    int count = 0;
    char path[32];
    for (int n = 1;; ++n) {
        std::snprintf(path, sizeof path, "skin\\anima\\%d.png", n);
        if (!Manager().GetImage(path)) break;
        count = n;
    }
    return count;
}

void InstallUIMainWnd::ShowRunningPage() {
    if (mainTab_) mainTab_->SelectItem(1);
    ResetProgress();
    SetInstallProgress(0);
    if (installSetting_) installSetting_->Selected(false, false);
    AdjustWindowHeight(560);
    if (layoutInstallOk_) layoutInstallOk_->SetVisible(true);
    if (layoutInstallFail_) layoutInstallFail_->SetVisible(false);
    CVD_LOG << "begin banner play";
    BeginBannerPlay();
}

void InstallUIMainWnd::BeginBannerPlay() {
    if (!carousel_) {
        carousel_ = std::make_unique<CAnimaEx>(this, horBanner_, horOption_);
        carousel_->SlideTo(0);
    }
    SetTimer(kBannerTimer, bannerInterval_);
}

std::string InstallUIMainWnd::GetSlideFontFace() {
    switch (CConfigure::Instance().GetLanguageIndex()) {
        case 1:
            return "Meiryo UI";
        case 11:
            return "batang";
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 9:
            return "Times New Roman";
        default:
            return "Microsoft YaHei";
    }
}

std::string InstallUIMainWnd::GetBannerPicture(int key) {
    BannerRecord banner;
    if (!CConfigure::Instance().GetBanner(key, banner)) return {};
    return Utf16ToUtf8(banner.picture_path);
}

void InstallUIMainWnd::ShowResultView() {
    if (mainTab_) mainTab_->SelectItem(0);
    if (pageLayout_) pageLayout_->SelectItem(1);
    resultState_ = kResultShown;
    // The running page shrank the window; the result views are laid out for the full height.
    AdjustWindowHeight(-1);
}

void InstallUIMainWnd::OnBannerTimer() {
    if (carousel_) carousel_->SlideNext();
}
