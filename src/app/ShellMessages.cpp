#include "app/ShellMessages.h"

#include "platform/Posting.h"

namespace tav {

void CallOnUi(std::function<void()> fn) {
    if (!fn) return;
    Post(PostedMessage{kMsgCallOnUi, 0, 0, std::move(fn)});
}

}  // namespace tav
