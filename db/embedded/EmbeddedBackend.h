#pragma once

#include <memory>
#include <string>

#include "db/Backend.h"
#include "server/Engine.h"

namespace db {

// The embedded engine on a local database file, in this process.
class EmbeddedBackend : public Backend {
  public:
    EmbeddedBackend(const std::string& path, const std::string& login, const std::string& password);

    BatchResult execute(std::string_view batch, std::span<const Value> params,
                        int timeoutSeconds) override;
    BatchResult callProcedure(std::string_view name, std::span<Argument> args,
                              int timeoutSeconds) override;
    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    std::int64_t executeInsert(std::string_view insert, std::span<const Value> params,
                               int timeoutSeconds) override;

    server::Engine& engine() { return *engine_; }

  private:
    std::unique_ptr<server::Engine> engine_;
};

}  // namespace db
