// The interface texts of the skin package: one language file per interface language, each with an
// `install_page` section (texts of the main window's controls, read by key) and a
// `message_page` section (texts of the message boxes). Files are read afresh on every call;
// nothing is cached, and a missing file, section or key gives empty text (there is no fallback
// language).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace toolkit {
class UiManager;
}

namespace language {

inline constexpr int kLanguageCount = 20;
inline constexpr const char* kInstallPage = "install_page";
inline constexpr const char* kMessagePage = "message_page";

// "language\\language_english.xml", … by language index; empty outside 0..19.
std::string LanguageFilePath(int index);
// "license_english", … by language index (several are not in the package); empty outside 0..19.
std::string LicenceElementName(int index);

// The `Label` entries of one section, in document order: (key, text). Nothing when the file or
// the section is missing.
using Section = std::vector<std::pair<std::string, std::string>>;
std::optional<Section> ReadSection(int index, const std::string& section);

// Text of one key of a section; empty when the file, section or key is missing.
std::string ReadText(int index, const std::string& section, const std::string& key);
inline std::string InstallPageText(int index, const std::string& key) {
    return ReadText(index, kInstallPage, key);
}

// Whether a language reads right to left (Arabic).
bool IsRightToLeft(int index);

// What applying a language to a window needs besides its controls.
struct ApplyOptions {
    // `extra_text` receives its text only for the product group that shows it.
    bool showExtraText = false;
};

// Copies language `index` onto the controls of `window`: the licence text from the licence
// element of that language (kept when the element is missing), then every `install_page` text
// from the last entry to the first onto the control of the same name, the inset of
// `layout_bottom_set`, and the window's reading direction. Returns the `install_label` text (the
// progress-line format), or nothing when the file or section is missing.
std::optional<std::string> ApplyLanguage(toolkit::UiManager& window, int index,
                                         const ApplyOptions& options);

// Bottom inset of the settings row: wider for the languages whose texts are short.
int BottomInset(int index);

}  // namespace language
