// libFuzzer target for the T-SQL front end: lexer, parser and printer. Any input must end
// in a translation or in server::Error, never in a crash, a hang or a sanitizer report.
// scripts/bench runs it for 60 seconds; an input that ever broke it goes to
// tests/server/fuzz_regressions/, which server_tests replays.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Engine.h"
#include "Translator.h"

namespace {

// A schema of one table of each column type, so that the typed paths of the printer run.
class FuzzSchema : public server::SchemaSource {
  public:
    FuzzSchema() {
        table_.exists = true;
        table_.columns = {{"a", values::Type::Integer, 0, "INT", true},
                          {"b", values::Type::Text, 10, "VARCHAR", false},
                          {"c", values::Type::DateTime, 0, "DATETIME", false},
                          {"d", values::Type::Float, 0, "FLOAT", false}};
    }
    const server::TableInfo& table(std::string_view name) override {
        return name == "t" || name == "mark_mag" ? table_ : none_;
    }
    bool isView(std::string_view name) override { return name == "v"; }
    bool isTableFunction(std::string_view name) override { return name == "tf"; }

  private:
    server::TableInfo table_;
    server::TableInfo none_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzSchema schema;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        server::Program program = server::Translator::translate(text, schema);
        (void)program;
    } catch (const server::Error&) {
    }
    return 0;
}
