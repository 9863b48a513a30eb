#include <gtest/gtest.h>

#include "SkinFixture.h"
#include "toolkit/Builder.h"
#include "ui/CAnimaEx.h"
#include "ui/COptionExUI.h"
#include "ui/SkinPackage.h"

namespace {

class FakeWindow : public IAnimaCallback, public toolkit::INotifyUI {
public:
    int slides = 4;
    std::map<int, std::string> banners;
    std::vector<std::string> notes;
    int GetSlideCount() override { return slides; }
    int GetSlideWidth() override { return 650; }
    int GetSlideHeight() override { return 300; }
    std::string GetSlideFontFace() override { return "Microsoft YaHei"; }
    std::string GetBannerPicture(int key) override {
        return banners.count(key) ? banners[key] : "";
    }
    void Notify(toolkit::NotifyMsg& msg) override { notes.push_back(msg.type); }
};

std::string RunningPage() {
    std::string xml = R"(<Window><Font id="3" name="Microsoft YaHei" size="14"/><VerticalLayout>
      <HorizontalLayout name="hor_banner" width="650" height="300">)";
    for (int i = 1; i <= 5; ++i)
        xml += "<VerticalLayout width='650' height='300' bkimage='skin\\anima\\" +
               std::to_string(i) + ".png'><Label name='anima_text_" + std::to_string(i) +
               "' text='slogan " + std::to_string(i) + "'/></VerticalLayout>";
    xml +=
        R"(</HorizontalLayout><HorizontalLayout name="hor_option" float="true" pos="0,284,650,290">)";
    for (int i = 0; i < 5; ++i)
        xml += "<OptionEx name='dot" + std::to_string(i) +
               "' group='image_play_option' width='16' height='6'" +
               (i == 0 ? " selected='true'" : "") + "/>";
    xml += "</HorizontalLayout></VerticalLayout></Window>";
    return xml;
}

class Carousel : public ::testing::Test {
protected:
    void SetUp() override {
        LoadSkinPackage();
        toolkit::Builder builder(&manager);
        manager.AttachRoot(builder.BuildFromMemory(RunningPage(), "InstallRunning.xml"));
        manager.SetClientSize({650, 560});
        manager.LayoutIfNeeded();
        manager.AddNotifier(&window);
        banner = manager.FindControl("hor_banner")->As<toolkit::ContainerUI>("Container");
        dots = manager.FindControl("hor_option")->As<toolkit::ContainerUI>("Container");
        anima = std::make_unique<CAnimaEx>(&window, banner, dots);
    }
    // Runs timer 6375 until the slide ends; returns the number of ticks.
    int RunSlide() {
        int ticks = 0;
        while (anima->IsSliding() && ticks < 100) {
            manager.FireTimer(anima.get(), CAnimaEx::kSlideTimerId);
            manager.LayoutIfNeeded();
            ++ticks;
        }
        return ticks;
    }
    bool DotSelected(int i) {
        return dots->GetItemAt(i)->As<toolkit::OptionUI>("Option")->IsSelected();
    }

    FakeWindow window;
    toolkit::UiManager manager;
    toolkit::ContainerUI* banner = nullptr;
    toolkit::ContainerUI* dots = nullptr;
    std::unique_ptr<CAnimaEx> anima;
};

TEST_F(Carousel, FirstRequestTakesTheBuiltPagesAndShowsSlideZero) {
    window.slides = 4;
    anima->SlideTo(0);  // the current slide: only initialises
    ASSERT_TRUE(anima->IsInitialised());
    EXPECT_EQ(anima->SlideCount(), 4);
    EXPECT_EQ(anima->SlideImage(3), "skin\\anima\\4.png");
    EXPECT_EQ(anima->SlideText(1), "slogan 2");
    ASSERT_EQ(banner->GetCount(), 1);
    toolkit::Control* label = banner->GetItemAt(0)->FindSubControl("animatext");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->GetText(), "slogan 1");
    EXPECT_EQ(label->GetFont(), 3);
}

TEST_F(Carousel, OneSlideTakesFifteenStepsAndMovesTheDot) {
    anima->SlideTo(1);
    ASSERT_TRUE(anima->IsSliding());
    EXPECT_EQ(manager.TimerInterval(anima.get(), CAnimaEx::kSlideTimerId), 20u);
    EXPECT_FALSE(dots->IsEnabled());
    EXPECT_EQ(banner->GetCount(), 2);
    manager.FireTimer(anima.get(), CAnimaEx::kSlideTimerId);
    manager.LayoutIfNeeded();
    EXPECT_EQ(banner->GetItemAt(0)->GetPos().left, -43);  // 650 / 15 = 43 per step, to the left
    EXPECT_EQ(RunSlide() + 1, 16);                        // 15 steps of 43 and the remaining 5
    EXPECT_EQ(anima->Current(), 1);
    EXPECT_EQ(banner->GetCount(), 1);
    EXPECT_EQ(banner->GetItemAt(0)->FindSubControl("animatext")->GetText(), "slogan 2");
    EXPECT_EQ(banner->GetItemAt(0)->GetPos().left, 0);
    EXPECT_TRUE(dots->IsEnabled());
    EXPECT_TRUE(DotSelected(1));
    EXPECT_FALSE(DotSelected(0));
    EXPECT_TRUE(window.notes.empty());  // dots are set without notifications
}

TEST_F(Carousel, FromTheLastSlideTheNextWrapsToZeroAndSlidesLeft) {
    for (int i = 1; i <= 3; ++i) {
        anima->SlideNext();
        RunSlide();
    }
    ASSERT_EQ(anima->Current(), 3);
    anima->SlideNext();  // 4 wraps to 0
    manager.FireTimer(anima.get(), CAnimaEx::kSlideTimerId);
    manager.LayoutIfNeeded();
    EXPECT_LT(banner->GetItemAt(0)->GetPos().left, 0);  // pages move to the left
    RunSlide();
    EXPECT_EQ(anima->Current(), 0);
    EXPECT_TRUE(DotSelected(0));
    EXPECT_EQ(banner->GetItemAt(0)->FindSubControl("animatext")->GetText(), "slogan 1");
}

TEST_F(Carousel, SlidingBackInsertsThePageOnTheLeft) {
    anima->SlideTo(2);
    RunSlide();
    anima->SlideTo(1);
    manager.FireTimer(anima.get(), CAnimaEx::kSlideTimerId);
    manager.LayoutIfNeeded();
    EXPECT_EQ(banner->GetItemAt(0)->GetPos().left, -650 + 43);
    EXPECT_EQ(banner->GetItemAt(1)->GetPos().left, 43);
    RunSlide();
    EXPECT_EQ(anima->Current(), 1);
    EXPECT_EQ(banner->GetItemAt(0)->FindSubControl("animatext")->GetText(), "slogan 2");
}

TEST_F(Carousel, RequestsWhileSlidingAndDotClicksAreIgnored) {
    anima->SlideTo(1);
    anima->SlideTo(3);
    const toolkit::Rect dot = dots->GetItemAt(2)->GetPos();
    manager.OnButtonDown({dot.left + 8, dot.top + 3});
    manager.OnButtonUp({dot.left + 8, dot.top + 3});
    EXPECT_TRUE(window.notes.empty());
    EXPECT_FALSE(DotSelected(2));
    RunSlide();
    EXPECT_EQ(anima->Current(), 1);
    manager.OnButtonDown({dot.left + 8, dot.top + 3});
    manager.OnButtonUp({dot.left + 8, dot.top + 3});
    EXPECT_TRUE(DotSelected(2));  // enabled again after the slide
}

TEST_F(Carousel, WithOneSlideRequestsDoNothing) {
    window.slides = 1;
    anima->SlideNext();
    EXPECT_TRUE(anima->IsInitialised());
    EXPECT_FALSE(anima->IsSliding());
    EXPECT_EQ(anima->Current(), 0);
}

TEST_F(Carousel, ServerBannersOnDiskReplacePicturesAndDropTexts) {
    cvdtest::TempEnv env;
    const auto picture = env.WriteFile("banner2.png", "png");
    window.banners[1] = (env.Root() / "missing.png").string();
    window.banners[2] = picture.string();
    anima->SlideTo(0);
    EXPECT_EQ(anima->SlideImage(0), "skin\\anima\\1.png");  // missing file: package picture stays
    EXPECT_EQ(anima->SlideImage(1), picture.string());
    EXPECT_EQ(anima->SlideText(1), "slogan 2");
    window.banners[3] = picture.string();
    anima->RefreshBanners();
    EXPECT_EQ(anima->SlideImage(2), picture.string());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(anima->SlideText(i), "");
}

}  // namespace
