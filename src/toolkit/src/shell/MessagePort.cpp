#include "toolkit/MessagePort.h"

#include "shell/NativeWindow.h"

namespace toolkit {

std::shared_ptr<MessagePort> MessagePort::Create(Handler handler) {
    return std::shared_ptr<MessagePort>(new MessagePort(std::move(handler)));
}

bool MessagePort::Post(unsigned message, std::intptr_t wParam, std::intptr_t lParam) {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    queue_.push_back({message, wParam, lParam});
    if (!scheduled_) {
        scheduled_ = true;
        PostToUiThread([weak = weak_from_this()] {
            if (auto port = weak.lock()) port->Drain();
        });
    }
    return true;
}

void MessagePort::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    queue_.clear();
}

void MessagePort::Drain() {
    std::deque<PostedMessage> batch;
    {
        // Swap the queue out so handlers run without the lock and may post again.
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
        scheduled_ = false;
    }
    // A handler may close the window and with it drop the last owner of this port.
    const auto self = shared_from_this();
    for (const PostedMessage& msg : batch) {
        {
            std::lock_guard lock(mutex_);
            if (closed_) break;
        }
        handler_(msg);
    }
}

}  // namespace toolkit
