// Posting custom messages to a window from any thread, like PostMessage.
//
// Ordering: messages from one thread arrive in the order they were posted.
// Thread-safety: Post may be called from any thread; delivery happens on the UI thread, from the
// main loop, never inside Post.
// Lifetime: senders hold the port weakly (std::weak_ptr); once the window closes the port, later
// messages are dropped and Post returns false.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace toolkit {

struct PostedMessage {
    unsigned message = 0;
    std::intptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

class MessagePort : public std::enable_shared_from_this<MessagePort> {
public:
    using Handler = std::function<void(const PostedMessage&)>;
    static std::shared_ptr<MessagePort> Create(Handler handler);

    bool Post(unsigned message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    // UI thread: no more deliveries.
    void Close();

private:
    explicit MessagePort(Handler handler) : handler_(std::move(handler)) {}
    void Drain();

    std::mutex mutex_;
    std::deque<PostedMessage> queue_;
    bool scheduled_ = false;
    bool closed_ = false;
    Handler handler_;
};

}  // namespace toolkit
