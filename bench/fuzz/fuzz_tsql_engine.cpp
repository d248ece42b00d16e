// libFuzzer target for the whole engine: the input runs as a batch on a small database
// (one table of each column type, a view, a procedure and a table function), with two
// parameters and a one-second time-out. Any outcome but server::Error is a finding.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Engine.h"
#include "Registry.h"

namespace {

server::Engine& engine() {
    static std::unique_ptr<server::Engine> instance = [] {
        auto dir = std::filesystem::temp_directory_path() / "qor28_fuzz_engine";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::string path = (dir / "fuzz.db").string();
        server::Engine::create(path, "sa", "pw");
        auto e = server::Engine::open(path, "sa", "pw");
        e->execute(
            "CREATE TABLE t (a int IDENTITY(1,1) PRIMARY KEY, b varchar(10), c datetime, d float, "
            "e int)\n"
            "CREATE TABLE u (k int PRIMARY KEY, name varchar(30) NOT NULL DEFAULT 'x', t_a int "
            "REFERENCES t(a))\n"
            "CREATE VIEW v AS SELECT a, b, d FROM t");
        e->execute(
            "INSERT INTO t (b, c, d, e) VALUES ('Иванов', '2024-12-25', 1.5, 3), ('abc', NULL, -2, "
            "NULL), (NULL, '1900-01-01', 0, 0)\n"
            "INSERT INTO u VALUES (1, 'один', 1), (2, 'Два', NULL)");
        server::Parameter p{"@x", values::Type::Integer, 0, values::Value{std::int64_t{0}}, false};
        e->registry().addProcedure({"p", 1, {p}, [](server::ProcedureContext& ctx) {
                                        ctx.run("SELECT * FROM t WHERE a > ?",
                                                std::vector<values::Value>{ctx.arg("@x")});
                                        ctx.setReturnValue(1);
                                    }});
        e->registry().addTableFunction({"tf", {p}, [](server::ProcedureContext& ctx) {
                                            return ctx
                                                .run("SELECT a, b FROM t WHERE a > ?",
                                                     std::vector<values::Value>{ctx.arg("@x")})
                                                .resultSets.at(0);
                                        }});
        return e;
    }();
    return *instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<values::Value> params = {std::int64_t{1}, std::string("x")};
    try {
        engine().execute(text, params, 1);
    } catch (const server::Error&) {
    }
    // a transaction the input left open must not block the next input
    try {
        engine().execute("IF @@TRANCOUNT > 0 ROLLBACK");
    } catch (const server::Error&) {
    }
    return 0;
}
