// The libpq calls the uploader needs, found in the libpq already loaded.

#include "record/libpqcalls.h"

#include <dlfcn.h>

#include <type_traits>

const LibPq* LibPq::Get() {

    static const LibPq pq = [] {
        LibPq found;
        void* library = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
        if (library == nullptr)
            return found;
        const auto take = [library](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        };
        take(found.socket, "PQsocket");
        take(found.connectdb, "PQconnectdb");
        take(found.status, "PQstatus");
        take(found.errorMessage, "PQerrorMessage");
        take(found.needsPassword, "PQconnectionNeedsPassword");
        take(found.usedPassword, "PQconnectionUsedPassword");
        take(found.finish, "PQfinish");
        return found;
    }();
    return pq.socket && pq.connectdb && pq.status && pq.errorMessage && pq.needsPassword && pq.usedPassword &&
                   pq.finish
               ? &pq
               : nullptr;
}
