#pragma once
// Messages the shell posts to its own window besides the shared ones of
// platform/Posting.h.
#include <cstdint>
#include <functional>

#include "platform/Posting.h"

namespace tav {

enum : uint32_t {
    kMsgCopyData = 0x004A,   // a file handed over by a second instance (payload HandOverDelivery)
    kMsgTrayIcon = 1034,     // tray icon notification: lParam is the mouse message
    kMsgCallOnUi = 0x8001,   // payload std::function<void()>: run it on the UI thread
};

// Tray notifications the main window reacts to.
inline constexpr intptr_t kTrayDoubleClick = 515;
inline constexpr intptr_t kTrayRightButtonUp = 517;

// Runs fn on the UI thread (dropped when there is no main window).
void CallOnUi(std::function<void()> fn);

// Messages meant for a dialog (1028 for the playlist manager, 32779 for the
// radio dialog, 32780 for the podcasts dialog) arrive at the main window like
// every posted message; an open dialog registers a handler for its message
// and removes it (handler nullptr) when it closes. UI thread only.
using DialogMessageHandler = std::function<void(const PostedMessage&)>;
void RouteToDialog(uint32_t messageId, DialogMessageHandler handler);
// True when a dialog took the message.
bool DeliverToDialog(const PostedMessage& message);

}  // namespace tav
