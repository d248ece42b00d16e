#include "db/embedded/EmbeddedBackend.h"

#include <vector>

#include "db/Error.h"

namespace db {

namespace {

// The engine's errors already carry SQL Server's wording; they only change type.
template <typename Call>
auto translated(Call call) {
    try {
        return call();
    } catch (const server::Error& e) {
        throw Error(e.what());
    }
}

}  // namespace

EmbeddedBackend::EmbeddedBackend(const std::string& path, const std::string& login,
                                 const std::string& password)
    : engine_(translated([&] { return server::Engine::open(path, login, password); })) {}

BatchResult EmbeddedBackend::execute(std::string_view batch, std::span<const Value> params,
                                     int timeoutSeconds) {
    traceBatch(batch, params);
    return translated([&] { return engine_->execute(batch, params, timeoutSeconds); });
}

BatchResult EmbeddedBackend::callProcedure(std::string_view name, std::span<Argument> args,
                                           int timeoutSeconds) {
    if (trace()) {
        // The engine takes a call as a name and its arguments, not as text: the trace
        // shows the EXEC it stands for.
        std::string text = "EXEC " + std::string(name);
        std::vector<Value> values;
        for (std::size_t i = 0; i < args.size(); ++i) {
            text += (i ? ", " : " ") + (args[i].name.empty() ? "" : args[i].name + " = ") + "?" +
                    (args[i].isOutput ? " OUTPUT" : "");
            values.push_back(args[i].value);
        }
        traceBatch(text, values);
    }
    return translated([&] { return engine_->callProcedure(name, args, timeoutSeconds); });
}

void EmbeddedBackend::beginTransaction() {
    execute("BEGIN TRANSACTION", {}, 0);
}
void EmbeddedBackend::commit() {
    execute("COMMIT TRANSACTION", {}, 0);
}
void EmbeddedBackend::rollback() {
    execute("ROLLBACK TRANSACTION", {}, 0);
}

std::int64_t EmbeddedBackend::executeInsert(std::string_view insert, std::span<const Value> params,
                                            int timeoutSeconds) {
    std::string batch(insert);
    batch += "\nSELECT SCOPE_IDENTITY()";
    BatchResult r = execute(batch, params, timeoutSeconds);
    if (r.resultSets.empty() || r.resultSets.back().rows.empty() ||
        isNull(r.resultSets.back().rows[0][0]))
        throw Error("The server did not report the key of the new row");
    return toInteger(r.resultSets.back().rows[0][0]);
}

std::unique_ptr<Backend> openEmbeddedBackend(const std::string& path, const std::string& login,
                                             const std::string& password) {
    return std::make_unique<EmbeddedBackend>(path, login, password);
}

}  // namespace db
