#pragma once
// Records message boxes instead of showing them.

#include <vector>

#include "core/platform/message_box.h"

class MessageRecorder {
public:
    MessageRecorder() {
        platform::setMessageBoxSink(
            [this](const platform::MessageBoxRequest& request) { boxes.push_back(request); });
    }
    ~MessageRecorder() { platform::setMessageBoxSink({}); }

    std::vector<platform::MessageBoxRequest> boxes;
};
