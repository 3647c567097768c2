#include "platform/Ui.h"

#include <cstdio>

namespace tav {

namespace {
UiServices* gUi = nullptr;
}

void SetUiServices(UiServices* ui) { gUi = ui; }
UiServices* GetUiServices() { return gUi; }

int ShowMessageBox(const std::string& text, BoxIcon icon, const std::string& caption, BoxButtons buttons) {
    if (gUi) return gUi->messageBox(text, caption, icon, buttons);
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    switch (buttons) {
        case BoxButtons::YesNo:
        case BoxButtons::YesNoCancel: return kBoxYes;
        default: return kBoxOk;
    }
}

void RefreshWindowTitle() {
    if (gUi) gUi->refreshWindowTitle();
}
void RefreshStatusBar() {
    if (gUi) gUi->refreshStatusBar();
}
void SetMenuCheck(int command, bool checked) {
    if (gUi) gUi->setMenuCheck(command, checked);
}

}  // namespace tav
