// Where content threads tell the window that something arrived. Workers never touch a control:
// they post a message that the window handles on its own thread. The main window implements
// this over the toolkit's thread-safe posting; tests use a recorder.
//
// Threading: PostCustomMessage is called from worker threads and must not block.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t WM_INSTALL_BANNER_READY = 0xB8A;

class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    virtual void PostCustomMessage(std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) = 0;
};
