#pragma once

// The few calls of libpq that Qt's driver does not make: the connection's
// socket (to shut it when the server hangs) and what a refused connection
// was refused for. Taken from the libpq the driver has loaded, so that the
// program itself links nothing of it.
struct LibPq {
    using Conn = void*;
    int (*socket)(const void*) = nullptr;
    Conn (*connectdb)(const char*) = nullptr;
    int (*status)(const void*) = nullptr;
    char* (*errorMessage)(const void*) = nullptr;
    int (*needsPassword)(const void*) = nullptr;
    int (*usedPassword)(const void*) = nullptr;
    void (*finish)(Conn) = nullptr;

    // The calls, or null when no libpq is loaded or it lacks one of them.
    static const LibPq* Get();
};

constexpr int kConnectionBad = 1; // libpq's CONNECTION_BAD
