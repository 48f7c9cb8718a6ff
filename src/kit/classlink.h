#pragma once

#include <QString>

#include <functional>

// Class mode as the program meets it (made by the record module, which
// holds the connection to the school's server): a background sender that
// takes every drill from this computer's records to the server, and what the
// status bar and school IT are told about it. Drills never wait for it.
class ClassLink {
public:
    virtual ~ClassLink() = default;

    // "Klasse 3b: alles übertragen", "Klasse 3b: 12 Antworten warten auf die
    // Verbindung": for the status bar, in words a child may read.
    virtual QString statusText() const = 0;
    // Why answers cannot reach the server, in German for school IT, each
    // cause once; empty when there is nothing new.
    virtual QString takeNotice() = 0;
    // Called in the program's thread whenever the status text, a notice or
    // the class's roster kept on this computer changed.
    virtual void setOnChange(std::function<void()> changed) = 0;
    // A record was written: send soon.
    virtual void sendSoon() = 0;
};
