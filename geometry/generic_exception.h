#pragma once

#include <string>

// The system's one exception type. It keeps its own copy of the message and is thrown by pointer,
// so whoever catches it owns it and must delete it. The message is the fixed text callers and
// users rely on; the detail, when present, says what exactly was wrong with the input.
class GenericException {
public:
    explicit GenericException(std::string message, std::string detail = {})
        : message_(std::move(message)), detail_(std::move(detail)) {}

    const std::string& Message() const { return message_; }
    const std::string& Detail() const { return detail_; }

private:
    std::string message_;
    std::string detail_;
};
