#include "tessaly/database/DBConnectionFactory.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "tessaly/utils/SharedLibrary.h"

namespace tessaly::database {

namespace {

// Which back end made which connection. Guarded although callers are asked
// to serialise: a lock costs nothing here and keeps the map whole.
struct Registry {
    std::mutex lock;
    std::map<DBConnection*, std::unique_ptr<utils::SharedLibrary>> owners;
};

Registry& registry()
{
    static Registry* r = new Registry; // never destroyed: back ends may outlive static teardown
    return *r;
}

void copyError(const std::string& text, char* buffer, int size)
{
    if (!buffer || size < 1)
        return;
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

} // namespace

extern "C" DBConnection* createDBConnection(const char* libraryPath, char* errorBuffer, int errorSize)
{
    std::string error;
    error.reserve(128);
    if (!libraryPath) {
        error = "invalid parameter passed";
    } else {
        // A library that does not load throws out of here.
        auto library = std::make_unique<utils::SharedLibrary>(libraryPath);
        auto create = reinterpret_cast<CreateConnectionFunction>(library->procAddress("createConnection"));
        if (!create) {
            error = "Failed to Get Function 'createConnection'!";
        } else if (DBConnection* connection = create()) {
            Registry& r = registry();
            std::lock_guard<std::mutex> guard(r.lock);
            r.owners[connection] = std::move(library);
            return connection;
        } else {
            error = "Failed to Create 'DBConnection'!";
        }
    }
    copyError(error, errorBuffer, errorSize);
    return nullptr;
}

extern "C" void releaseDBConnection(DBConnection* connection)
{
    std::unique_ptr<utils::SharedLibrary> library;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> guard(r.lock);
        const auto it = r.owners.find(connection);
        if (it == r.owners.end())
            return;
        library = std::move(it->second);
        r.owners.erase(it);
    }
    if (auto release = reinterpret_cast<ReleaseConnectionFunction>(library->procAddress("releaseConnection")))
        release(connection);
    // The library unloads as `library` goes.
}

} // namespace tessaly::database
