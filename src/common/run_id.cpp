#include "common/run_id.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>

const std::string& ThisRunId()
{
    static const std::string id = [] {
        GUID guid{};
        if (FAILED(CoCreateGuid(&guid)))  // never seen to fail; a run without an id is still a run
            return std::string();
        char text[40];
        std::snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                      static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                      guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
        return std::string(text);
    }();
    return id;
}
