#include "render/d2d/DWriteTextEngine.h"

#include <cmath>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/Text.h"
#include "render/Backend.h"

namespace toolkit {
namespace {

// Unbounded text is laid out in a box this wide and placed by hand.
constexpr float kUnbounded = 100000.0f;

// Faces the skins name that a system may lack, then what every system here has.
constexpr const wchar_t* kSubstitutes[] = {L"Tahoma",    L"Segoe UI",   L"Arial",
                                           L"Noto Sans", L"DejaVu Sans", L"Liberation Sans"};

bool HasFamily(IDWriteFontCollection* fonts, const std::wstring& name) {
    UINT32 index = 0;
    BOOL exists = FALSE;
    return SUCCEEDED(fonts->FindFamilyName(name.c_str(), &index, &exists)) && exists;
}

DWRITE_TEXT_ALIGNMENT Alignment(HAlign align, bool rightToLeft) {
    // Leading is the right edge of a right-to-left paragraph.
    switch (align) {
        case HAlign::Center:
            return DWRITE_TEXT_ALIGNMENT_CENTER;
        case HAlign::Right:
            return rightToLeft ? DWRITE_TEXT_ALIGNMENT_LEADING : DWRITE_TEXT_ALIGNMENT_TRAILING;
        default:
            return rightToLeft ? DWRITE_TEXT_ALIGNMENT_TRAILING : DWRITE_TEXT_ALIGNMENT_LEADING;
    }
}

d2d::ComPtr<IDWriteTextFormat> MakeFormat(const FontDesc& font, const TextStyle& style,
                                          bool bounded) {
    d2d::ComPtr<IDWriteTextFormat> format;
    IDWriteFactory* factory = d2d::DWriteFactory();
    const std::wstring family = DWriteTextEngine::ResolveFamily(font.face);
    if (!factory ||
        FAILED(factory->CreateTextFormat(
            family.c_str(), nullptr, font.bold ? DWRITE_FONT_WEIGHT_BOLD : DWRITE_FONT_WEIGHT_NORMAL,
            font.italic ? DWRITE_FONT_STYLE_ITALIC : DWRITE_FONT_STYLE_NORMAL,
            DWRITE_FONT_STRETCH_NORMAL, static_cast<float>(font.size > 0 ? font.size : 12), L"",
            format.GetAddressOf())))
        return nullptr;
    format->SetReadingDirection(style.rightToLeft ? DWRITE_READING_DIRECTION_RIGHT_TO_LEFT
                                                  : DWRITE_READING_DIRECTION_LEFT_TO_RIGHT);
    format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_NEAR);
    const bool wrap = bounded && style.wordBreak;
    format->SetWordWrapping(wrap ? DWRITE_WORD_WRAPPING_WRAP : DWRITE_WORD_WRAPPING_NO_WRAP);
    format->SetTextAlignment(bounded ? Alignment(style.align, style.rightToLeft)
                                     : Alignment(HAlign::Left, false));
    if (bounded && style.endEllipsis && !style.wordBreak) {
        d2d::ComPtr<IDWriteInlineObject> ellipsis;
        factory->CreateEllipsisTrimmingSign(format.Get(), ellipsis.GetAddressOf());
        const DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
        format->SetTrimming(&trimming, ellipsis.Get());
    }
    return format;
}

void ApplyRunFont(IDWriteTextLayout* layout, const FontDesc& font, const FontDesc& base,
                  bool underline, DWRITE_TEXT_RANGE range) {
    if (font.face != base.face)
        layout->SetFontFamilyName(DWriteTextEngine::ResolveFamily(font.face).c_str(), range);
    if (font.size != base.size)
        layout->SetFontSize(static_cast<float>(font.size > 0 ? font.size : 12), range);
    if (font.bold != base.bold)
        layout->SetFontWeight(font.bold ? DWRITE_FONT_WEIGHT_BOLD : DWRITE_FONT_WEIGHT_NORMAL,
                              range);
    if (font.italic != base.italic)
        layout->SetFontStyle(font.italic ? DWRITE_FONT_STYLE_ITALIC : DWRITE_FONT_STYLE_NORMAL,
                             range);
    if (underline) layout->SetUnderline(TRUE, range);
}

// The text position at (x, y) from the line and cluster metrics, for a DirectWrite without
// HitTestPoint (Wine's). Clusters are walked from the paragraph's starting side.
std::optional<UINT32> PositionByClusters(IDWriteTextLayout* layout, float x, float y,
                                         bool rightToLeft) {
    DWRITE_TEXT_METRICS metrics{};
    layout->GetMetrics(&metrics);
    UINT32 lineCount = 0;
    layout->GetLineMetrics(nullptr, 0, &lineCount);
    UINT32 clusterCount = 0;
    layout->GetClusterMetrics(nullptr, 0, &clusterCount);
    if (lineCount == 0 || clusterCount == 0 || x < metrics.left ||
        x >= metrics.left + metrics.width || y < metrics.top || y >= metrics.top + metrics.height)
        return std::nullopt;
    std::vector<DWRITE_LINE_METRICS> lines(lineCount);
    std::vector<DWRITE_CLUSTER_METRICS> clusters(clusterCount);
    if (FAILED(layout->GetLineMetrics(lines.data(), lineCount, &lineCount)) ||
        FAILED(layout->GetClusterMetrics(clusters.data(), clusterCount, &clusterCount)))
        return std::nullopt;
    float top = metrics.top;
    UINT32 position = 0;
    std::size_t cluster = 0;
    for (const DWRITE_LINE_METRICS& line : lines) {
        const UINT32 lineEnd = position + line.length;
        if (y < top + line.height) {
            float edge = rightToLeft ? metrics.left + metrics.width : metrics.left;
            for (; cluster < clusters.size() && position < lineEnd; ++cluster) {
                const float w = clusters[cluster].width;
                const bool hit = rightToLeft ? (x < edge && x >= edge - w) : (x >= edge && x < edge + w);
                if (hit) return position;
                edge += rightToLeft ? -w : w;
                position += clusters[cluster].length;
            }
            return std::nullopt;
        }
        top += line.height;
        for (; cluster < clusters.size() && position < lineEnd; ++cluster)
            position += clusters[cluster].length;
        position = lineEnd;
    }
    return std::nullopt;
}

}  // namespace

DWriteTextEngine& DWriteTextEngine::Instance() {
    static DWriteTextEngine engine;
    return engine;
}

TextEngine& BackendTextEngine() { return DWriteTextEngine::Instance(); }

std::wstring DWriteTextEngine::ResolveFamily(const std::string& face) {
    static std::mutex mutex;
    static std::map<std::string, std::wstring> resolved;
    std::lock_guard lock(mutex);
    if (auto it = resolved.find(face); it != resolved.end()) return it->second;
    std::wstring family = platform::Utf8ToWide(face);
    d2d::ComPtr<IDWriteFontCollection> fonts;
    IDWriteFactory* factory = d2d::DWriteFactory();
    if (factory && SUCCEEDED(factory->GetSystemFontCollection(fonts.GetAddressOf(), FALSE)) &&
        !HasFamily(fonts.Get(), family)) {
        // DirectWrite's own fallback then finds a font for each script the family lacks.
        for (const wchar_t* substitute : kSubstitutes) {
            if (HasFamily(fonts.Get(), substitute)) {
                family = substitute;
                break;
            }
        }
    }
    resolved[face] = family;
    return family;
}

DWriteTextEngine::Placed DWriteTextEngine::Build(const RichText& text, const TextStyle& style,
                                                 const FontTable& fonts, int width) const {
    Placed placed;
    const bool bounded = width > 0 && (style.wordBreak || style.endEllipsis);
    const FontDesc base = fonts.Font(style.font);
    d2d::ComPtr<IDWriteTextFormat> format = MakeFormat(base, style, bounded);
    if (!format) return placed;
    std::wstring all;
    for (const TextRun& run : text.runs) {
        const std::wstring piece = platform::Utf8ToWide(run.text);
        placed.runs.push_back({static_cast<UINT32>(all.size()), static_cast<UINT32>(piece.size())});
        all += piece;
    }
    const float boxWidth = bounded ? static_cast<float>(width) : kUnbounded;
    if (FAILED(d2d::DWriteFactory()->CreateTextLayout(all.c_str(), static_cast<UINT32>(all.size()),
                                                      format.Get(), boxWidth, kUnbounded,
                                                      placed.layout.GetAddressOf())))
        return placed;
    for (std::size_t i = 0; i < text.runs.size(); ++i) {
        const TextRun& run = text.runs[i];
        const FontDesc font = run.font >= 0 ? fonts.Font(run.font) : base;
        ApplyRunFont(placed.layout.Get(), font, base, run.underline || font.underline,
                     {placed.runs[i].start, placed.runs[i].length});
    }
    return placed;
}

DWriteTextEngine::Placed DWriteTextEngine::Layout(const RichText& text, const TextStyle& style,
                                                  const FontTable& fonts,
                                                  const Rect& rect) const {
    Placed placed = Build(text, style, fonts, rect.Width());
    if (!placed.layout) return placed;
    DWRITE_TEXT_METRICS metrics{};
    placed.layout->GetMetrics(&metrics);
    placed.x = static_cast<float>(rect.left);
    const bool bounded = rect.Width() > 0 && (style.wordBreak || style.endEllipsis);
    if (!bounded) {
        // Unbounded text is not aligned by DirectWrite; place the block ourselves.
        const float spare = static_cast<float>(rect.Width()) - std::ceil(metrics.width);
        if (style.align == HAlign::Center)
            placed.x += spare / 2.0f;
        else if (style.align == HAlign::Right)
            placed.x += spare;
        placed.x -= metrics.left;
    }
    const float spareY = static_cast<float>(rect.Height()) - std::ceil(metrics.height);
    placed.y = static_cast<float>(rect.top);
    if (style.valign == VAlign::Center)
        placed.y += std::floor(spareY / 2.0f);
    else if (style.valign == VAlign::Bottom)
        placed.y += spareY;
    return placed;
}

Size DWriteTextEngine::Measure(const RichText& text, const TextStyle& style,
                               const FontTable& fonts, int maxWidth) const {
    TextStyle s = style;
    if (maxWidth <= 0) s.wordBreak = s.endEllipsis = false;
    Placed placed = Build(text, s, fonts, maxWidth);
    if (!placed.layout) return {};
    DWRITE_TEXT_METRICS metrics{};
    placed.layout->GetMetrics(&metrics);
    // Trimmed text is as wide as what is shown, never wider than its box.
    float width = metrics.widthIncludingTrailingWhitespace;
    if (maxWidth > 0 && (s.wordBreak || s.endEllipsis))
        width = std::min(width, static_cast<float>(maxWidth));
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(metrics.height))};
}

int DWriteTextEngine::LinkAt(const RichText& text, const TextStyle& style, const FontTable& fonts,
                             const Rect& rect, Point point) const {
    if (text.linkCount == 0 || !rect.Contains(point)) return -1;
    Placed placed = Layout(text, style, fonts, rect);
    if (!placed.layout) return -1;
    const float x = static_cast<float>(point.x) - placed.x;
    const float y = static_cast<float>(point.y) - placed.y;
    BOOL trailing = FALSE, inside = FALSE;
    DWRITE_HIT_TEST_METRICS hit{};
    std::optional<UINT32> position;
    if (SUCCEEDED(placed.layout->HitTestPoint(x, y, &trailing, &inside, &hit))) {
        if (inside) position = hit.textPosition;
    } else {
        position = PositionByClusters(placed.layout.Get(), x, y, style.rightToLeft);
    }
    if (!position) return -1;
    for (std::size_t i = 0; i < text.runs.size(); ++i) {
        const RunRange& range = placed.runs[i];
        if (*position < range.start + range.length) return text.runs[i].link;
    }
    return -1;
}

}  // namespace toolkit
