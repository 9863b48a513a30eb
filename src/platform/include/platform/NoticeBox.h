// A plain system message box with one button, shown without blocking the caller, for the
// notices of test switches that must wait for a person.
//
// Lifetime: dropping the object neither closes the box nor waits for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class NoticeBox {
public:
    // Shows `text` under the title `caption`; nullptr when no box can be shown.
    static std::unique_ptr<NoticeBox> Show(const std::wstring& caption, const std::wstring& text);

    virtual ~NoticeBox() = default;
    // True once the box has been closed, waiting at most `milliseconds` for it.
    virtual bool WaitClosed(std::uint32_t milliseconds) = 0;
};

}  // namespace platform
