// The rich-text tag language of marked-up texts (labels and rich edits with showhtml).
#include "toolkit/Markup.h"

#include <string_view>

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const toolkit::RichText rich = toolkit::ParseMarkup(text);

    FUZZ_CHECK(rich.linkCount >= 0);
    std::size_t shown = 0;
    for (std::size_t i = 0; i < rich.runs.size(); ++i) {
        const toolkit::TextRun& run = rich.runs[i];
        FUZZ_CHECK(!run.text.empty());
        FUZZ_CHECK(run.link >= -1 && run.link < rich.linkCount);
        // Neighbours of one style are one run, so the painter never splits a word it need not.
        if (i > 0) FUZZ_CHECK(!rich.runs[i - 1].SameStyle(run));
        shown += run.text.size();
    }
    // Tags only ever take text away; a paragraph adds at most one break per tag of 3 characters.
    FUZZ_CHECK(shown <= size + size / 3 + 1);
    FUZZ_CHECK(rich.PlainText().size() == shown);

    const toolkit::RichText plain = toolkit::PlainRichText(text);
    FUZZ_CHECK(plain.PlainText() == text);
    FUZZ_CHECK(plain.linkCount == 0);
    return 0;
}
