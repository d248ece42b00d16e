#pragma once

#include <memory>
#include <string>

#include "db/Backend.h"
#include "db/Connection.h"
#include "db/Error.h"

namespace testsupport {

// A backend in front of a real one that refuses the N-th request it is given (a batch,
// an insert, a procedure call, the start or the commit of a transaction), as a server
// that fails half-way through a save would. Rollbacks always pass: they are how a
// failure is cleaned up. N = 0 refuses nothing; `requests` counts what came through.
class RefusingBackend : public db::Backend {
  public:
    RefusingBackend(std::unique_ptr<db::Backend> inner, int refuse)
        : inner_(std::move(inner)), refuse_(refuse) {}

    // Puts one in front of the connection's backend and returns it.
    static RefusingBackend& install(db::Connection& conn, int refuse) {
        RefusingBackend* installed = nullptr;
        conn.wrapBackend([&](std::unique_ptr<db::Backend> inner) {
            auto b = std::make_unique<RefusingBackend>(std::move(inner), refuse);
            installed = b.get();
            return b;
        });
        return *installed;
    }

    db::BatchResult execute(std::string_view batch, std::span<const db::Value> params,
                            int timeout) override {
        count();
        return inner_->execute(batch, params, timeout);
    }
    db::BatchResult callProcedure(std::string_view name, std::span<db::Argument> args,
                                  int timeout) override {
        count();
        return inner_->callProcedure(name, args, timeout);
    }
    void beginTransaction() override {
        count();
        inner_->beginTransaction();
    }
    void commit() override {
        count();
        inner_->commit();
    }
    void rollback() override { inner_->rollback(); }
    std::int64_t executeInsert(std::string_view insert, std::span<const db::Value> params,
                               int timeout) override {
        count();
        return inner_->executeInsert(insert, params, timeout);
    }

    int requests = 0;
    void refuse(int n) {
        refuse_ = n;
        requests = 0;
    }

  private:
    void count() {
        if (++requests == refuse_)
            throw db::Error("The server refused request " + std::to_string(requests) + ".");
    }
    std::unique_ptr<db::Backend> inner_;
    int refuse_;
};

}  // namespace testsupport
