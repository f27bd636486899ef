#pragma once
// Event codes and the callback form shared by every panel and control callback.

#include <functional>

namespace korvo::ui {

enum Event : int {
    EVENT_COMMIT = 1,
    EVENT_VAL_CHANGED = 2,
    EVENT_LEFT_CLICK = 3,
    EVENT_LEFT_DOUBLE_CLICK = 4,
    EVENT_RIGHT_CLICK = 5,
    EVENT_RIGHT_DOUBLE_CLICK = 6,
    EVENT_KEYPRESS = 7,
    EVENT_CLOSE = 11,
    EVENT_PANEL_SIZE = 12,
};

// (panel, control, event, callback data, event data 1, event data 2) -> 0 (or 1 where a callback
// says so). Panel callbacks receive control 0.
using Callback = std::function<int(int panel, int control, int event, void* callbackData,
                                   int eventData1, int eventData2)>;

}  // namespace korvo::ui
