#include "toolkit/MessagePort.h"

#include <glib.h>

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
        auto* weak = new std::weak_ptr<MessagePort>(weak_from_this());
        g_idle_add_full(G_PRIORITY_DEFAULT, reinterpret_cast<GSourceFunc>(&MessagePort::Drain),
                        weak,
                        [](gpointer p) { delete static_cast<std::weak_ptr<MessagePort>*>(p); });
    }
    return true;
}

void MessagePort::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    queue_.clear();
}

int MessagePort::Drain(void* weak) {
    std::shared_ptr<MessagePort> port = static_cast<std::weak_ptr<MessagePort>*>(weak)->lock();
    if (!port) return G_SOURCE_REMOVE;
    std::deque<PostedMessage> batch;
    {
        // Swap the queue out so handlers run without the lock and may post again.
        std::lock_guard lock(port->mutex_);
        batch.swap(port->queue_);
        port->scheduled_ = false;
    }
    for (const PostedMessage& msg : batch) {
        {
            std::lock_guard lock(port->mutex_);
            if (port->closed_) break;
        }
        port->handler_(msg);
    }
    return G_SOURCE_REMOVE;
}

}  // namespace toolkit
