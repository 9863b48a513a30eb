#include "toolkit/Markup.h"

#include "toolkit/ValueSyntax.h"

namespace toolkit {
namespace {

struct OpenColor {
    Color color;
    int linkDepth;  // open links when the colour was opened
};

class MarkupParser {
public:
    RichText Parse(std::string_view text) {
        std::size_t i = 0;
        while (i < text.size()) {
            if (text[i] == '{') {
                const std::size_t close = text.find('}', i + 1);
                if (close != std::string_view::npos &&
                    ApplyTag(text.substr(i + 1, close - i - 1))) {
                    i = close + 1;
                    continue;
                }
            }
            const std::size_t next = text.find('{', i + 1);
            Append(text.substr(i, next == std::string_view::npos ? next : next - i));
            i = next == std::string_view::npos ? text.size() : next;
        }
        return std::move(result_);
    }

private:
    bool ApplyTag(std::string_view tag) {
        const bool closing = !tag.empty() && tag.front() == '/';
        if (closing) tag.remove_prefix(1);
        if (tag.empty()) return false;
        const char kind = tag.front();
        std::string_view arg = tag.substr(1);
        if (!arg.empty() && arg.front() != ' ') return false;
        while (!arg.empty() && arg.front() == ' ') arg.remove_prefix(1);
        switch (kind) {
            case 'f':
                return closing ? Pop(fonts_) : (fonts_.push_back(ParseInt(arg)), true);
            case 'c':
                return closing ? Pop(colors_) : PushColor(arg);
            case 'u':
                return closing ? Pop(underlines_) : (underlines_.push_back(true), true);
            case 'a':
                if (closing) return Pop(links_);
                links_.push_back(result_.linkCount++);
                return true;
            case 'n':
                if (!closing) Append("\n");
                return true;
            case 'p':
                if (closing)
                    pendingBreak_ = true;
                else if (!AtLineStart())
                    pendingBreak_ = true;
                return true;
            default:
                return false;
        }
    }

    bool PushColor(std::string_view arg) {
        std::string_view digits = arg;
        if (!digits.empty() && digits.front() == '#') digits.remove_prefix(1);
        Color c = ParseColor(arg);
        // Six digits are red, green, blue: an opaque colour.
        if (digits.size() <= 6) c |= 0xFF000000u;
        colors_.push_back({c, static_cast<int>(links_.size())});
        return true;
    }

    template <class T>
    static bool Pop(std::vector<T>& stack) {
        if (!stack.empty()) stack.pop_back();
        return true;
    }

    bool AtLineStart() const {
        return result_.runs.empty() || result_.runs.back().text.empty() ||
               result_.runs.back().text.back() == '\n';
    }

    void Append(std::string_view text) {
        if (text.empty()) return;
        if (pendingBreak_) {
            pendingBreak_ = false;
            if (!AtLineStart()) Append("\n");
        }
        TextRun run;
        run.text = std::string(text);
        run.font = fonts_.empty() ? -1 : fonts_.back();
        if (!colors_.empty()) {
            run.color = colors_.back().color;
            run.colorInsideLink =
                !links_.empty() && colors_.back().linkDepth >= static_cast<int>(links_.size());
        }
        run.underline = !underlines_.empty();
        run.link = links_.empty() ? -1 : links_.back();
        if (!result_.runs.empty() && result_.runs.back().SameStyle(run)) {
            result_.runs.back().text += run.text;
        } else {
            result_.runs.push_back(std::move(run));
        }
    }

    RichText result_;
    std::vector<int> fonts_;
    std::vector<OpenColor> colors_;
    std::vector<bool> underlines_;
    std::vector<int> links_;
    bool pendingBreak_ = false;
};

}  // namespace

std::string RichText::PlainText() const {
    std::string text;
    for (const auto& run : runs) text += run.text;
    return text;
}

RichText ParseMarkup(std::string_view text) { return MarkupParser().Parse(text); }

RichText PlainRichText(std::string_view text) {
    RichText rich;
    if (text.empty()) return rich;
    TextRun run;
    run.text = std::string(text);
    rich.runs.push_back(std::move(run));
    return rich;
}

}  // namespace toolkit
