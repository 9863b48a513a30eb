#include "ui/LanguageFiles.h"

#include <array>

#include "toolkit/Builder.h"
#include "toolkit/Container.h"
#include "toolkit/UiManager.h"

namespace language {
namespace {

constexpr std::array<const char*, kLanguageCount> kFiles = {
    "language_english.xml",   "language_japanese.xml",    "language_chinese.xml",
    "language_spanish.xml",   "language_german.xml",      "language_french.xml",
    "language_russian.xml",   "language_portuguese.xml",  "language_arabic.xml",
    "language_italiano.xml",  "language_chinesetrad.xml", "language_korean.xml",
    "language_nederland.xml", "language_indonesian.xml",  "language_turkish.xml",
    "language_hindi.xml",     "language_thai.xml",        "language_malay.xml",
    "language_swedish.xml",   "language_czech.xml",
};

constexpr std::array<const char*, kLanguageCount> kLicences = {
    "license_english",    "license_japanese",   "license_chinese",     "license_spanish",
    "license_german",     "license_french",     "license_russian",     "license_portuguese",
    "license_arabic",     "license_italiano",   "license_chinesetrad", "license_korean",
    "license_nederlands", "license_indonesian", "license_turkish",     "license_hindi",
    "license_thai",       "license_malay",      "license_swedish",     "license_czech",
};

constexpr int kArabic = 8;

bool ValidIndex(int index) { return index >= 0 && index < kLanguageCount; }

}  // namespace

std::string LanguageFilePath(int index) {
    return ValidIndex(index) ? std::string("language\\") + kFiles[static_cast<std::size_t>(index)]
                             : std::string();
}

std::string LicenceElementName(int index) {
    return ValidIndex(index) ? kLicences[static_cast<std::size_t>(index)] : std::string();
}

std::optional<Section> ReadSection(int index, const std::string& section) {
    const std::string path = LanguageFilePath(index);
    if (path.empty()) return std::nullopt;
    // A free-standing tree: the language file is a layout document built without a window.
    toolkit::Builder builder;
    std::unique_ptr<toolkit::Control> tree = builder.Build(path);
    toolkit::Control* found = tree ? tree->FindSubControl(section) : nullptr;
    auto* container = found ? found->As<toolkit::ContainerUI>("Container") : nullptr;
    if (!container) return std::nullopt;
    Section entries;
    entries.reserve(static_cast<std::size_t>(container->GetCount()));
    for (int i = 0; i < container->GetCount(); ++i) {
        toolkit::Control* label = container->GetItemAt(i);
        if (label && !label->GetName().empty())
            entries.emplace_back(label->GetName(), label->GetText());
    }
    return entries;
}

std::string ReadText(int index, const std::string& section, const std::string& key) {
    const std::optional<Section> entries = ReadSection(index, section);
    if (!entries) return {};
    for (const auto& [name, text] : *entries)
        if (name == key) return text;
    return {};
}

bool IsRightToLeft(int index) { return index == kArabic; }

int BottomInset(int index) {
    switch (index) {
        case 0:
        case 1:
        case 2:
        case 8:
        case 10:
        case 11:
        case 18:
            return 16;
        default:
            return 8;
    }
}

std::optional<std::string> ApplyLanguage(toolkit::UiManager& window, int index,
                                         const ApplyOptions& options) {
    if (toolkit::Control* licence = window.FindControl(LicenceElementName(index)))
        if (toolkit::Control* target = window.FindControl("license_text"))
            target->SetText(licence->GetText());

    std::optional<std::string> progressFormat;
    if (const std::optional<Section> entries = ReadSection(index, kInstallPage)) {
        for (auto it = entries->rbegin(); it != entries->rend(); ++it) {
            const auto& [name, text] = *it;
            if (name == "install_label") progressFormat = text;
            toolkit::Control* control = window.FindControl(name);
            if (!control) continue;
            if (name == "extra_text" && !options.showExtraText) continue;
            control->SetText(text);
        }
    }

    if (toolkit::Control* bottom = window.FindControl("layout_bottom_set"))
        if (auto* row = bottom->As<toolkit::ContainerUI>("Container")) {
            const int inset = BottomInset(index);
            row->SetInset({0, inset, 0, inset});
        }
    window.SetRightToLeft(IsRightToLeft(index));
    window.NeedLayout();
    if (toolkit::Control* root = window.Root()) root->Invalidate();
    return progressFormat;
}

}  // namespace language
