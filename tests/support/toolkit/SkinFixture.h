// A skin package made on the spot: files written into a temporary folder, packed and handed to
// the toolkit as its archive. Pictures are drawn with cairo.
#pragma once

#include <cairo.h>

#include <filesystem>
#include <string>

#include "TempEnv.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/ZipArchive.h"

namespace toolkit {

class SkinFixture {
public:
    SkinFixture() { std::filesystem::create_directories(Folder()); }
    ~SkinFixture() { ResourceManager::Instance().Release(); }

    std::filesystem::path Folder() const { return env_.Root() / "skin-src"; }
    void Add(const std::string& path, const std::string& text) const {
        env_.WriteFile("skin-src/" + path, text);
    }
    // A w x h picture filled with one ARGB colour (straight alpha).
    void AddPicture(const std::string& path, int w, int h, std::uint32_t argb) const {
        const auto full = Folder() / path;
        std::filesystem::create_directories(full.parent_path());
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cairo_t* cr = cairo_create(s);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr, ((argb >> 16) & 255) / 255.0, ((argb >> 8) & 255) / 255.0,
                              (argb & 255) / 255.0, (argb >> 24) / 255.0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_write_to_png(s, full.c_str());
        cairo_surface_destroy(s);
    }
    // Packs what was added and installs it as the toolkit's archive.
    bool Install() const {
        auto bytes = PackFolder(Folder().string());
        return bytes && ResourceManager::Instance().SetZipArchive(bytes->data(), bytes->size());
    }

private:
    cvdtest::TempEnv env_;
};

}  // namespace toolkit
