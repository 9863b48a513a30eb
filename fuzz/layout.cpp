// The layout-document builder, without a display: a document is built with the program's own
// controls, laid out for a window size taken from the input and painted onto an image. The skin
// holds two pictures and a document to include, so images and includes are drawn for real.
#include <cairo.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzCheck.h"
#include "toolkit/Builder.h"
#include "toolkit/Container.h"
#include "toolkit/Log.h"
#include "toolkit/Render.h"
#include "toolkit/ResourceManager.h"
#include "ui/SkinPackage.h"

namespace {

using namespace toolkit;

void WritePicture(const std::filesystem::path& path, int w, int h) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgba(cr, 0.8, 0.2, 0.1, 0.7);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
}

// A small skin package made once per process in a private temporary folder.
void InstallSkin() {
    std::string pattern = std::filesystem::temp_directory_path() / "cvd-fuzz-skin-XXXXXX";
    const char* folder = mkdtemp(pattern.data());
    if (!folder) std::abort();
    const std::filesystem::path root(folder);
    std::filesystem::create_directories(root / "skin");
    WritePicture(root / "skin/a.png", 16, 12);
    WritePicture(root / "skin/b.png", 1, 1);
    std::ofstream(root / "part.xml")
        << R"(<Window><Label text="inc" width="30"/><Control bkimage="skin/b.png"/></Window>)";
    const auto bytes = PackFolder(folder);
    std::filesystem::remove_all(root);
    if (!bytes || !ResourceManager::Instance().SetZipArchive(bytes->data(), bytes->size()))
        std::abort();
    ResourceManager::Instance().SetResourceFolder("skin\\");
}

bool InCoordinateRange(int v) { return v >= -kMaxCoordinate && v <= kMaxCoordinate; }

// Every placed control has a non-negative size and coordinates the arithmetic can hold.
void CheckTree(Control& control, int depth) {
    const Rect& pos = control.GetPos();
    FUZZ_CHECK(pos.right >= pos.left && pos.bottom >= pos.top);
    FUZZ_CHECK(InCoordinateRange(pos.left) && InCoordinateRange(pos.right));
    FUZZ_CHECK(InCoordinateRange(pos.top) && InCoordinateRange(pos.bottom));
    FUZZ_CHECK(depth < 1000);
    auto* container = static_cast<ContainerUI*>(control.GetInterface("Container"));
    if (!container) return;
    for (int i = 0; i < container->GetCount(); ++i) CheckTree(*container->GetItemAt(i), depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::PrivateHome();
    SetLogSink([](const std::string&) {});  // what a damaged document lacks is no finding
    InstallSkin();
    RegisterExtendedControls();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    // Painting costs the area: windows stay small, but any size from empty up is tried.
    const Size window{in.Take<std::uint8_t>() * 2, in.Take<std::uint8_t>() * 2};
    const std::string xml = in.Rest();

    UiManager manager;
    Builder builder(&manager);
    manager.AttachRoot(builder.BuildFromMemory(xml, "fuzz.xml"));
    const Pixels pixels = RenderToPixels(manager, window);
    const bool painted = window.cx > 0 && window.cy > 0;  // an empty window paints nothing
    FUZZ_CHECK(pixels.width == (painted ? window.cx : 0));
    FUZZ_CHECK(pixels.height == (painted ? window.cy : 0));
    FUZZ_CHECK(pixels.argb.size() == static_cast<std::size_t>(pixels.width) * pixels.height);
    if (Control* root = manager.Root()) {
        CheckTree(*root, 0);
        manager.OnMouseMove({window.cx / 2, window.cy / 2});
        manager.FindControlAt({window.cx / 3, window.cy / 3});
    }
    return 0;
}
