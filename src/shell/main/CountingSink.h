// Passes messages on to the user and counts them, so a caller can tell
// whether a failed operation has already said why.
#pragma once

#include "common/MessageSink.h"

namespace stepvane {

class CountingSink : public MessageSink {
public:
    explicit CountingSink(MessageSink &target) : m_target(target) {}
    void report(const Message &message) override
    {
        ++m_count;
        m_target.report(message);
    }
    bool ask(const Message &message) override { return m_target.ask(message); }
    int count() const { return m_count; }

private:
    MessageSink &m_target;
    int m_count = 0;
};

} // namespace stepvane
