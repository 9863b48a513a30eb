// cvd-skin: look at any layout of a skin package.
//   cvd-skin render SKIN LAYOUT OUT.png [--size WxH] [--lang N] [--set name=text]... [--select
//   tab=N]... [--scale N] [--drop COMBO] [--rtl 0|1] [--focus NAME]
//   cvd-skin show SKIN LAYOUT
// --scale draws as on a desktop of that scale; --drop draws the combo's list open; --rtl 1
// reads right to left (--lang 8, Arabic, does so too); --focus marks a control as Tab does.
// SKIN is a skin folder, a zip archive or a built installer.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "SkinInstall.h"
#include "toolkit/Builder.h"
#include "toolkit/Combo.h"
#include "toolkit/Container.h"
#include "toolkit/Render.h"
#include "toolkit/Shell.h"
#include "toolkit/WindowBase.h"
#include "ui/LanguageFiles.h"

namespace {

int Usage() {
    std::fprintf(
        stderr,
        "usage: cvd-skin render SKIN LAYOUT OUT.png [--size WxH] [--lang N] [--set name=text]...\n"
        "                       [--select tab=N]... [--scale N] [--drop COMBO] [--rtl 0|1] "
        "[--focus NAME]\n"
        "       cvd-skin show SKIN LAYOUT\n");
    return 2;
}

bool LoadSkin(const std::string& source) {
    std::string error;
    if (cvdtools::InstallSkin(source, error)) return true;
    std::fprintf(stderr, "cvd-skin: %s\n", error.c_str());
    return false;
}

// Applies language `index` as the main window does; the product-group text (`extra_text`) is
// shown too, so a page can be looked at with every text it may carry.
bool ApplyLanguage(toolkit::UiManager& manager, int index) {
    return language::ApplyLanguage(manager, index, {true}).has_value();
}

int Render(int argc, char** argv) {
    if (argc < 5) return Usage();
    if (!LoadSkin(argv[2])) return 1;
    toolkit::UiManager manager;
    toolkit::Builder builder(&manager);
    auto root = builder.Build(argv[3]);
    if (!root) {
        std::fprintf(stderr, "cvd-skin: %s\n", builder.Error().c_str());
        return 1;
    }
    manager.AttachRoot(std::move(root));
    toolkit::Size size = manager.Window().size;
    toolkit::RenderOptions options;
    for (int i = 5; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) return Usage();
        if (arg == "--size") {
            if (std::sscanf(value, "%dx%d", &size.cx, &size.cy) != 2) return Usage();
        } else if (arg == "--lang") {
            if (!ApplyLanguage(manager, std::atoi(value)))
                std::fprintf(stderr, "cvd-skin: no language %s\n", value);
        } else if (arg == "--focus") {
            toolkit::Control* c = manager.FindControl(value);
            if (c)
                manager.SetFocus(c, true);
            else
                std::fprintf(stderr, "cvd-skin: no control %s\n", value);
        } else if (arg == "--rtl") {
            manager.SetRightToLeft(std::atoi(value) != 0);
        } else if (arg == "--scale") {
            options.scale = std::atoi(value);
            if (options.scale < 1 || options.scale > 4) return Usage();
        } else if (arg == "--drop") {
            toolkit::Control* c = manager.FindControl(value);
            options.openCombo = c ? c->As<toolkit::ComboUI>("Combo") : nullptr;
            if (!options.openCombo) std::fprintf(stderr, "cvd-skin: no combo %s\n", value);
        } else if (arg == "--select") {
            const char* eq = std::strchr(value, '=');
            if (!eq) return Usage();
            toolkit::Control* c = manager.FindControl(std::string(value, eq));
            auto* tab = c ? c->As<toolkit::TabLayoutUI>("TabLayout") : nullptr;
            if (!tab || !tab->SelectItem(std::atoi(eq + 1)))
                std::fprintf(stderr, "cvd-skin: cannot select %s\n", value);
        } else if (arg == "--set") {
            const char* eq = std::strchr(value, '=');
            if (!eq) return Usage();
            const std::string name(value, eq);
            if (toolkit::Control* c = manager.FindControl(name))
                c->SetText(eq + 1);
            else
                std::fprintf(stderr, "cvd-skin: no control %s\n", name.c_str());
        } else {
            return Usage();
        }
        ++i;
    }
    if (size.cx <= 0 || size.cy <= 0) size = {650, 560};
    std::string error;
    if (!toolkit::RenderToPng(manager, size, argv[4], error, options)) {
        std::fprintf(stderr, "cvd-skin: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

class SkinViewer : public toolkit::WindowBase {
public:
    explicit SkinViewer(std::string layout) : layout_(std::move(layout)) {}

protected:
    std::string GetWindowClassName() const override { return "CVD_SKIN_Frame"; }
    std::string GetSkinFile() override { return layout_; }
    void OnClick(toolkit::NotifyMsg& msg) override {
        if (msg.sender->GetName() == "closebtn")
            Close(0);
        else if (msg.sender->GetName() == "minbtn")
            Minimize();
    }
    void OnFinalMessage() override { toolkit::QuitMessageLoop(0); }

private:
    std::string layout_;
};

int Show(int argc, char** argv) {
    if (argc != 4) return Usage();
    if (!LoadSkin(argv[2])) return 1;
    if (!toolkit::InitShell()) {
        std::fprintf(stderr, "cvd-skin: no display\n");
        return 1;
    }
    SkinViewer viewer(argv[3]);
    viewer.Create(nullptr, argv[3]);
    viewer.CenterWindow();
    viewer.ShowWindow(true);
    return toolkit::RunMessageLoop();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    if (std::strcmp(argv[1], "render") == 0) return Render(argc, argv);
    if (std::strcmp(argv[1], "show") == 0) return Show(argc, argv);
    return Usage();
}
