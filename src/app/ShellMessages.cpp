#include "app/ShellMessages.h"

#include <map>

#include "platform/Posting.h"

namespace tav {

namespace {
std::map<uint32_t, DialogMessageHandler>& DialogHandlers() {
    static std::map<uint32_t, DialogMessageHandler> handlers;
    return handlers;
}
}  // namespace

void RouteToDialog(uint32_t messageId, DialogMessageHandler handler) {
    if (handler) DialogHandlers()[messageId] = std::move(handler);
    else DialogHandlers().erase(messageId);
}

bool DeliverToDialog(const PostedMessage& message) {
    auto it = DialogHandlers().find(message.id);
    if (it == DialogHandlers().end()) return false;
    // A copy: the handler may remove itself.
    DialogMessageHandler handler = it->second;
    handler(message);
    return true;
}

void CallOnUi(std::function<void()> fn) {
    if (!fn) return;
    Post(PostedMessage{kMsgCallOnUi, 0, 0, std::move(fn)});
}

}  // namespace tav
