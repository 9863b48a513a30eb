// Building, laying out and painting a 650x560 window of about a hundred controls, as the main
// window does at start-up. The target is under 30 ms per window.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "toolkit/Builder.h"
#include "toolkit/Container.h"
#include "toolkit/Render.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/ZipArchive.h"
#include "ui/SkinPackage.h"

namespace {

void WritePicture(const std::filesystem::path& path, int w, int h, double r, double g, double b) {
    std::filesystem::create_directories(path.parent_path());
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgba(cr, r, g, b, 0.9);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
}

// A skin with three pictures, installed as the toolkit's archive.
void InstallSkin() {
    RegisterExtendedControls();
    const auto folder =
        std::filesystem::temp_directory_path() / ("cvd-layout-bench-" + std::to_string(getpid()));
    WritePicture(folder / "skin/bg.png", 650, 322, 0.9, 0.9, 1.0);
    WritePicture(folder / "skin/btn.png", 400, 46, 0.5, 0.4, 1.0);
    WritePicture(folder / "skin/bar.png", 40, 6, 1.0, 1.0, 1.0);
    auto bytes = toolkit::PackFolder(folder.string());
    std::filesystem::remove_all(folder);
    if (bytes) toolkit::ResourceManager::Instance().SetZipArchive(bytes->data(), bytes->size());
}

std::string Document() {
    std::string xml =
        R"(<Window size="650,560" caption="0,0,0,60" bktrans="true" linkfontcolor="#ff28bf74">
  <Font id="0" name="Tahoma" size="14"/><Font id="1" name="Tahoma" size="13"/><Font id="2" name="Tahoma" size="18" weight="700"/>
  <VerticalLayout bkcolor="#FFFFFFFF" bordersize="1" bordercolor="#e6e6e6">
    <Control height="120" bkimage="file='skin/bg.png' dest='0,0,650,120'"/>)";
    for (int row = 0; row < 14; ++row) {
        const std::string n = std::to_string(row);
        xml +=
            R"(<HorizontalLayout height="30" inset="10,2,10,2" childvalign="vcenter">
      <Label name="label)" +
            n + R"(" text="Row )" + n + R"( caption" font="1" textcolor="#FF333333" width="120"/>
      <Text name="text)" +
            n +
            R"(" showhtml="true" text="{f 1}{c #555555}Read the {/c}{a}{u}{c #8372FF}terms{/c}{/u}{/a}{/f}"/>
      <Button name="btn)" +
            n +
            R"(" text="Go" width="80" height="24" colorround="12" bkcolor="#FF8372FF" hotbkcolor="#AA8372FF"
              normalimage="file='skin/btn.png' source='0,0,100,46'"/>
      <OptionEx name="opt)" +
            n +
            R"(" group="g" width="16" height="6" bkcolor="#7F8372FF" selectedbkcolor="#FF8372FF" colorround="3,3"/>
      <CheckBox name="chk)" +
            n + R"(" width="16" height="16" bkcolor="#FFCCCCCC"/>
      <Control width="10"/>
    </HorizontalLayout>)";
    }
    xml +=
        R"(<Progress name="p" height="6" value="40" forecolor="#FF8372FF"/><Edit name="e" height="28" text="/opt/Zorvik"/>
    </VerticalLayout></Window>)";
    return xml;
}

int CountControls(toolkit::Control* c) {
    int n = 1;
    if (auto* container = c->As<toolkit::ContainerUI>("Container"))
        for (int i = 0; i < container->GetCount(); ++i) n += CountControls(container->GetItemAt(i));
    return n;
}

void BM_BuildLayoutPaint(benchmark::State& state) {
    InstallSkin();
    const std::string xml = Document();
    int controls = 0;
    for (auto _ : state) {
        toolkit::UiManager manager;
        toolkit::Builder builder(&manager);
        manager.AttachRoot(builder.BuildFromMemory(xml, "bench.xml"));
        controls = CountControls(manager.Root());
        toolkit::Pixels pixels = toolkit::RenderToPixels(manager, {650, 560});
        benchmark::DoNotOptimize(pixels.argb.data());
    }
    state.counters["controls"] = controls;
}
BENCHMARK(BM_BuildLayoutPaint)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
