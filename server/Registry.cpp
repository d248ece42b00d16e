#include "Registry.h"

#include "values/TextFold.h"

namespace server {

void Registry::addProcedure(ProcedureDef def) {
    std::pair<std::string, int> key{foldCase(def.name), def.number};
    procedures_[key] = std::move(def);
    ++version_;
}

void Registry::addTableFunction(TableFunctionDef def) {
    std::string key = foldCase(def.name);
    functions_[key] = std::move(def);
    ++version_;
}

void Registry::addView(std::string name, TableBody body) {
    std::string key = foldCase(name);
    views_[key] = TableFunctionDef{std::move(name), {}, std::move(body)};
    ++version_;
}

const ProcedureDef* Registry::procedure(std::string_view name, int number) const {
    auto it = procedures_.find({foldCase(name), number});
    return it == procedures_.end() ? nullptr : &it->second;
}

const TableFunctionDef* Registry::tableFunction(std::string_view name) const {
    auto it = functions_.find(foldCase(name));
    return it == functions_.end() ? nullptr : &it->second;
}

const TableFunctionDef* Registry::view(std::string_view name) const {
    auto it = views_.find(foldCase(name));
    return it == views_.end() ? nullptr : &it->second;
}

Registry& globalRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace server
