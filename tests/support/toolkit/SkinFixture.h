// A skin package made on the spot: files written into a temporary folder, packed and handed to
// the toolkit as its archive.
#pragma once

#include <filesystem>
#include <string>

#include "TempEnv.h"
#include "ToolkitTestSupport.h"
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
        WriteSolidPng(full, w, h, argb);
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
