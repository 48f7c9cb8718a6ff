#pragma once

#include <functional>
#include <map>
#include <utility>

// A window's commands: command id → handler. Menus and accelerators are built
// from the tables, so a command without a handler is greyed by construction.
class CommandTable {
public:
    using Handler = std::function<void()>;

    void add(int commandId, Handler handler) { m_handlers[commandId] = std::move(handler); }
    bool has(int commandId) const { return m_handlers.count(commandId) != 0; }

    // Runs the handler; false when there is none.
    bool run(int commandId) const {
        const auto it = m_handlers.find(commandId);
        if (it == m_handlers.end())
            return false;
        it->second();
        return true;
    }

private:
    std::map<int, Handler> m_handlers;
};
