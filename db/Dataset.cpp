#include "db/Dataset.h"

#include <algorithm>
#include <atomic>
#include <exception>

#include "db/Connection.h"

namespace db {

namespace {

std::size_t u(int i) {
    return static_cast<std::size_t>(i);
}

// "semester" becomes "[semester]"; a qualified or already bracketed name stays as written.
std::string quoteTable(const std::string& name) {
    if (name.find_first_of(".[") != std::string::npos) return name;
    std::string out = "[";
    for (char c : name) out += c == ']' ? std::string("]]") : std::string(1, c);
    return out + "]";
}

// The one table a simple query reads ("select * from estimation"), empty otherwise.
std::string singleTableOf(const std::string& sql) {
    std::string folded = foldCase(sql);
    std::size_t from = folded.find(" from ");
    if (from == std::string::npos) return {};
    std::size_t b = folded.find_first_not_of(" \t\r\n", from + 6);
    if (b == std::string::npos) return {};
    std::size_t e = b;
    while (e < sql.size() && !std::isspace(static_cast<unsigned char>(sql[e])) && sql[e] != ';')
        ++e;
    std::string rest = folded.substr(e);
    for (const char* word : {" join ", ",", " from ", "union"})
        if (rest.find(word) != std::string::npos) return {};
    std::string table = sql.substr(b, e - b);
    if (table.find('(') != std::string::npos) return {};
    return table;
}

// Stamps of the datasets' sets of fields, unique in the process.
std::atomic<std::uint64_t> lastFieldsStamp{0};

}  // namespace

Dataset::Dataset(Connection* connection) : connection_(connection) {
    restamp();
}

void Dataset::restamp() {
    fieldsStamp_ = lastFieldsStamp.fetch_add(1, std::memory_order_relaxed) + 1;
}

Dataset::~Dataset() = default;

// A new command closes the dataset: its rows belong to the old one.
void Dataset::setSql(const std::string& text) {
    close();
    kind_ = CommandKind::Query;
    command_ = text;
    // The parameters are the query's ":name"s; a name that stays keeps its value.
    PreparedText prepared = prepareNamedParameters(text);
    Parameters next;
    for (const std::string& name : prepared.names) {
        if (next.find(name)) continue;
        Parameter* old = params_.find(name);
        next.add(name, old ? old->type() : Type::Null, ParamDirection::Input, old ? old->size() : 0,
                 true, old ? old->value() : Value());
    }
    params_ = std::move(next);
}

void Dataset::setTableName(const std::string& table) {
    close();
    kind_ = CommandKind::Table;
    command_ = table;
    params_.clear();
}

void Dataset::setProcedureName(const std::string& name) {
    close();
    kind_ = CommandKind::StoredProc;
    command_ = name;
}

std::string Dataset::updateTable() const {
    if (!updateTable_.empty()) return updateTable_;
    if (kind_ == CommandKind::Table) return command_;
    if (kind_ == CommandKind::Query) return singleTableOf(command_);
    return {};
}

Field& Dataset::addField(const std::string& name, FieldKind kind, Type type, int size) {
    if (active()) throw Error("Cannot add field '" + name + "' to an open dataset");
    if (findField(name)) throw Error("Duplicate field name '" + name + "'");
    fields_.push_back(std::unique_ptr<Field>(new Field(this, name, kind, type, size)));
    Field& f = *fields_.back();
    f.index_ = static_cast<int>(fields_.size()) - 1;
    f.persistent_ = true;
    restamp();
    return f;
}

Field& Dataset::addDataField(const std::string& name, Type type, int size) {
    return addField(name, FieldKind::Data, type, size);
}

Field& Dataset::addLookupField(const std::string& name, Type type, const std::string& keyField,
                               Dataset& lookupDs, const std::string& lookupKeyField,
                               const std::string& resultField, int size) {
    if (&lookupDs == this) throw Error("Field '" + name + "' cannot look up its own dataset");
    Field& f = addField(name, FieldKind::Lookup, type, size);
    f.keyField_ = keyField;
    f.lookupDataset_ = &lookupDs;
    f.lookupKeyField_ = lookupKeyField;
    f.lookupResultField_ = resultField;
    return f;
}

Field& Dataset::addCalculatedField(const std::string& name, Type type, int size) {
    return addField(name, FieldKind::Calculated, type, size);
}

Field& Dataset::field(int index) const {
    if (index < 0 || index >= fieldCount())
        throw Error("Field index " + std::to_string(index) + " out of range");
    return *fields_[u(index)];
}

Field* Dataset::findField(const std::string& name) const {
    std::string wanted = foldCase(name);
    for (const auto& f : fields_)
        if (f->folded_ == wanted) return f.get();
    return nullptr;
}

Field& Dataset::field(const std::string& name) const {
    if (Field* f = findField(name)) return *f;
    throw Error("Field '" + name + "' not found");
}

void Dataset::checkActive() const {
    if (!active()) throw Error("Cannot perform this operation on a closed dataset");
}

int Dataset::effectiveTimeout() const {
    return commandTimeout_ >= 0 ? commandTimeout_ : connection_->commandTimeout();
}

void Dataset::buildFields(const std::vector<Column>& columns) {
    bool declaredData = std::any_of(fields_.begin(), fields_.end(),
                                    [](const auto& f) { return f->kind() == FieldKind::Data; });
    auto columnOf = [&](const std::string& name) {
        std::string wanted = foldCase(name);
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (foldCase(columns[c].name) == wanted) return static_cast<int>(c);
        return -1;
    };
    if (!declaredData) {
        std::vector<std::unique_ptr<Field>> all;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            std::string folded = foldCase(columns[c].name);
            if (std::any_of(fields_.begin(), fields_.end(),
                            [&](const auto& f) { return f->folded_ == folded; }))
                continue;  // a declared lookup or calculated field of that name wins
            all.push_back(std::unique_ptr<Field>(new Field(this, columns[c].name, FieldKind::Data,
                                                           columns[c].type, columns[c].size)));
            all.back()->column_ = static_cast<int>(c);
        }
        for (auto& f : fields_) all.push_back(std::move(f));
        fields_ = std::move(all);
    } else {
        for (auto& f : fields_) {
            if (f->kind() != FieldKind::Data) continue;
            f->column_ = columnOf(f->name());
            if (f->column_ < 0) throw Error("Field '" + f->name() + "' not found");
            if (f->type_ == Type::Null) f->type_ = columns[u(f->column_)].type;
        }
    }
    for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->index_ = static_cast<int>(i);
    restamp();
    for (auto& f : fields_)
        if (f->kind() == FieldKind::Lookup) f->keyIndex_ = field(f->keyField()).index();
}

void Dataset::dropFields() {
    fields_.erase(std::remove_if(fields_.begin(), fields_.end(),
                                 [](const auto& f) { return !f->persistent_; }),
                  fields_.end());
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->index_ = static_cast<int>(i);
        fields_[i]->column_ = -1;
    }
    restamp();
}

void Dataset::calculate(std::vector<Value>& values) {
    bool any = false;
    for (const auto& f : fields_) {
        if (f->kind() == FieldKind::Lookup) {
            const Value& k = values[u(f->keyIndex_)];
            Dataset& source = *f->lookupDataset();
            if (isNull(k) || !source.active()) {
                values[u(f->index())] = Value();
                continue;
            }
            // Every row looks up the same two fields: find them by name only when the
            // lookup dataset's fields changed.
            if (f->lookupStamp_ != source.fieldsStamp_) {
                f->lookupKeyIndex_ = source.field(f->lookupKeyField()).index();
                f->lookupResultIndex_ = source.field(f->lookupResultField()).index();
                f->lookupStamp_ = source.fieldsStamp_;
            }
            values[u(f->index())] = source.lookupAt(f->lookupKeyIndex_, k, f->lookupResultIndex_);
        } else if (f->kind() == FieldKind::Calculated) {
            values[u(f->index())] = Value();
            any = true;
        }
    }
    if (!any || !onCalcFields) return;
    std::vector<Value>* saved = calcTarget_;
    calcTarget_ = &values;
    try {
        onCalcFields(*this);
    } catch (...) {
        calcTarget_ = saved;
        throw;
    }
    calcTarget_ = saved;
}

// The values a query text binds: its ":name"s in order; a text without any (a bare
// "EXEC procedure") takes the declared input parameters in declaration order.
std::vector<Value> Dataset::queryArguments(const PreparedText& prepared) {
    std::vector<Value> values;
    if (!prepared.names.empty()) {
        for (const std::string& name : prepared.names)
            values.push_back(params_.byName(name).value());
        return values;
    }
    for (const Parameter& p : params_)
        if (p.direction() == ParamDirection::Input || p.direction() == ParamDirection::InputOutput)
            values.push_back(p.value());
    return values;
}

BatchResult Dataset::callProcedure() {
    std::vector<Argument> args;
    for (const Parameter& p : params_)
        if (p.direction() != ParamDirection::ReturnValue)
            args.push_back(
                Argument{p.name(), p.value(), p.type(), p.direction() != ParamDirection::Input});
    BatchResult result = connection_->callProcedure(command_, args, effectiveTimeout());
    std::size_t a = 0;
    for (Parameter& p : params_) {
        if (p.direction() == ParamDirection::ReturnValue) {
            Value v;
            if (result.returnValue) v = *result.returnValue;
            p.assignResult(v);
            continue;
        }
        if (p.direction() != ParamDirection::Input) p.assignResult(args[a].value);
        ++a;
    }
    return result;
}

void Dataset::open() {
    if (active()) return;
    if (!connection_) throw Error("The dataset has no connection");
    if (command_.empty()) throw Error("The dataset has no command text");
    if (beforeOpen) beforeOpen(*this);
    for (const auto& f : fields_)
        if (f->kind() == FieldKind::Lookup && !f->lookupDataset()->active())
            f->lookupDataset()->open();

    BatchResult result;
    if (kind_ == CommandKind::StoredProc) {
        result = callProcedure();
    } else {
        PreparedText prepared = kind_ == CommandKind::Table
                                    ? PreparedText{"SELECT * FROM " + quoteTable(command_), {}}
                                    : prepareNamedParameters(command_);
        result = connection_->execute(prepared.text, queryArguments(prepared), effectiveTimeout());
    }
    if (result.resultSets.empty()) throw Error("The command did not return a set of rows");
    ResultSet& rs = result.resultSets.front();

    std::exception_ptr calcError;
    try {
        buildFields(rs.columns);
        rows_.clear();
        rows_.reserve(rs.rows.size());
        for (auto& source : rs.rows) {
            Row row;
            row.values.resize(fields_.size());
            for (const auto& f : fields_)
                if (f->column_ >= 0) row.values[u(f->index())] = std::move(source[u(f->column_)]);
            rows_.push_back(std::move(row));
        }
        // A row whose calculation fails keeps what was calculated before the failure;
        // the other rows are still calculated and the rows are shown, and the first
        // failure is raised once the dataset is open, so one bad formula neither hides
        // the whole sheet nor is reported once per row.
        for (Row& row : rows_) {
            try {
                calculate(row.values);
            } catch (...) {
                if (!calcError) calcError = std::current_exception();
            }
        }
    } catch (...) {
        rows_.clear();
        dropFields();
        throw;
    }
    state_ = DatasetState::Browse;
    modified_ = false;
    try {
        if (filtered_ && !filterText_.empty())
            filterExpr_.bind([this](const std::string& n) { return field(n).index(); });
        if (!sortText_.empty()) setSort(sortText_);
        rebuildView(-1);
    } catch (...) {
        state_ = DatasetState::Inactive;
        rows_.clear();
        dropFields();
        throw;
    }
    notifyState();
    notifyDataset();
    if (afterOpen) afterOpen(*this);
    if (calcError) std::rethrow_exception(calcError);
}

void Dataset::close() {
    if (!active()) return;
    if (beforeClose) beforeClose(*this);
    editValues_.clear();
    modified_ = false;
    rows_.clear();
    view_.clear();
    pos_ = 0;
    eof_ = bof_ = true;
    dropFields();
    state_ = DatasetState::Inactive;
    notifyState();
    notifyDataset();
    if (afterClose) afterClose(*this);
}

std::int64_t Dataset::execSql() {
    if (!connection_) throw Error("The dataset has no connection");
    if (command_.empty()) throw Error("The dataset has no command text");
    if (kind_ == CommandKind::StoredProc) return callProcedure().rowsAffected;
    if (kind_ == CommandKind::Table) throw Error("A table cannot be executed as a statement");
    PreparedText prepared = prepareNamedParameters(command_);
    return connection_->execute(prepared.text, queryArguments(prepared), effectiveTimeout())
        .rowsAffected;
}

const std::vector<Value>* Dataset::currentValues() const {
    if (calcTarget_) return calcTarget_;
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert) return &editValues_;
    if (view_.empty()) return nullptr;
    return &rows_[u(view_[u(pos_)])].values;
}

void Dataset::rebuildView(Bookmark keep) {
    view_.clear();
    bool useFilter = filtered_ && !filterExpr_.empty();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].deleted) continue;
        if (useFilter && !filterExpr_.matches(rows_[i].values)) continue;
        view_.push_back(static_cast<int>(i));
    }
    if (!sortKeys_.empty()) {
        std::stable_sort(view_.begin(), view_.end(), [this](int a, int b) {
            for (const SortKey& k : sortKeys_) {
                int c =
                    compareValues(rows_[u(a)].values[u(k.field)], rows_[u(b)].values[u(k.field)]);
                if (c != 0) return k.descending ? c > 0 : c < 0;
            }
            return false;
        });
    }
    pos_ = 0;
    if (keep >= 0) {
        auto it = std::find(view_.begin(), view_.end(), static_cast<int>(keep));
        if (it != view_.end()) pos_ = static_cast<int>(it - view_.begin());
    }
    eof_ = bof_ = view_.empty();
    if (!view_.empty() && pos_ == 0) bof_ = true;
}

void Dataset::checkBrowseMode() {
    checkActive();
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert) {
        if (modified_)
            post();
        else
            cancel();
    }
}

void Dataset::first() {
    checkBrowseMode();
    pos_ = 0;
    bof_ = true;
    eof_ = view_.empty();
    notifyScroll();
}

void Dataset::last() {
    checkBrowseMode();
    pos_ = std::max(0, recordCount() - 1);
    eof_ = true;
    bof_ = view_.empty();
    notifyScroll();
}

void Dataset::next() {
    checkBrowseMode();
    if (pos_ + 1 < recordCount()) {
        ++pos_;
        bof_ = false;
        eof_ = false;
        notifyScroll();
    } else {
        eof_ = true;
    }
}

void Dataset::prior() {
    checkBrowseMode();
    if (pos_ > 0) {
        --pos_;
        eof_ = false;
        bof_ = false;
        notifyScroll();
    } else {
        bof_ = true;
    }
}

void Dataset::setRecNo(int recNo) {
    checkBrowseMode();
    if (recNo < 1 || recNo > recordCount())
        throw Error("Record number " + std::to_string(recNo) + " out of range");
    pos_ = recNo - 1;
    eof_ = bof_ = false;
    notifyScroll();
}

int Dataset::insertRow() const {
    return std::clamp(insertPos_, 0, recordCount());
}

const Value& Dataset::valueAt(int row, int fieldIndex) const {
    static const Value null;
    if (fieldIndex < 0 || fieldIndex >= fieldCount() || row < 0 || row >= rowCount()) return null;
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert) {
        if (row == currentRow()) return editValues_[u(fieldIndex)];
        if (state_ == DatasetState::Insert && row > insertRow()) --row;
    }
    return rows_[u(view_[u(row)])].values[u(fieldIndex)];
}

Bookmark Dataset::bookmarkAt(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    if (state_ == DatasetState::Insert) {
        if (row == insertRow()) return -1;
        if (row > insertRow()) --row;
    }
    return view_[u(row)];
}

int Dataset::rowOf(Bookmark b) const {
    if (!active() || b < 0) return -1;
    auto it = std::find(view_.begin(), view_.end(), static_cast<int>(b));
    if (it == view_.end()) return -1;
    int row = static_cast<int>(it - view_.begin());
    if (state_ == DatasetState::Insert && row >= insertRow()) ++row;
    return row;
}

Bookmark Dataset::bookmark() const {
    if (!active() || view_.empty()) return -1;
    return view_[u(pos_)];
}

bool Dataset::bookmarkValid(Bookmark b) const {
    return active() && b >= 0 && b < static_cast<Bookmark>(rows_.size()) &&
           !rows_[static_cast<std::size_t>(b)].deleted &&
           std::find(view_.begin(), view_.end(), static_cast<int>(b)) != view_.end();
}

void Dataset::gotoBookmark(Bookmark b) {
    checkBrowseMode();
    if (!bookmarkValid(b)) throw Error("Record not found");
    pos_ = static_cast<int>(std::find(view_.begin(), view_.end(), static_cast<int>(b)) -
                            view_.begin());
    eof_ = bof_ = false;
    notifyScroll();
}

bool Dataset::locate(const std::string& fieldName, const Value& value, bool ignoreCase) {
    checkActive();
    const Field& f = field(fieldName);
    for (std::size_t i = 0; i < view_.size(); ++i) {
        const Value& v = rows_[u(view_[i])].values[u(f.index())];
        if (isNull(v) != isNull(value)) continue;
        if (!sameValue(v, value, ignoreCase)) continue;
        // Posting a pending new row shifts the positions: find the row again.
        int row = view_[i];
        checkBrowseMode();
        pos_ = static_cast<int>(std::find(view_.begin(), view_.end(), row) - view_.begin());
        eof_ = bof_ = false;
        notifyScroll();
        return true;
    }
    return false;
}

Value Dataset::lookup(const std::string& keyFieldName, const Value& key,
                      const std::string& resultField) const {
    checkActive();
    const Field& k = field(keyFieldName);
    const Field& r = field(resultField);
    return lookupAt(k.index(), key, r.index());
}

Value Dataset::lookupAt(int keyIndex, const Value& key, int resultIndex) const {
    for (const Row& row : rows_) {
        const Value& candidate = row.values[u(keyIndex)];
        if (!row.deleted && !isNull(candidate) && sameValue(candidate, key))
            return row.values[u(resultIndex)];
    }
    return {};
}

void Dataset::setSort(const std::string& sort) {
    std::vector<SortKey> keys;
    std::size_t i = 0;
    while (i < sort.size()) {
        std::size_t comma = sort.find(',', i);
        std::string part =
            sort.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
        i = comma == std::string::npos ? sort.size() : comma + 1;
        std::vector<std::string> words;
        std::size_t p = 0;
        while (p < part.size()) {
            std::size_t b = part.find_first_not_of(" \t", p);
            if (b == std::string::npos) break;
            std::size_t e = part.find_first_of(" \t", b);
            words.push_back(part.substr(b, e == std::string::npos ? std::string::npos : e - b));
            p = e == std::string::npos ? part.size() : e;
        }
        if (words.empty()) continue;
        bool desc = false;
        if (words.size() == 2 && (foldCase(words[1]) == "desc" || foldCase(words[1]) == "asc"))
            desc = foldCase(words[1]) == "desc";
        else if (words.size() != 1)
            throw Error("Invalid sort order \"" + sort + "\"");
        std::string name = words[0];
        if (name.size() > 2 && name.front() == '[' && name.back() == ']')
            name = name.substr(1, name.size() - 2);
        if (active())
            keys.push_back({field(name).index(), desc});
        else
            keys.push_back({-1, desc});
    }
    if (active()) checkBrowseMode();
    sortText_ = sort;
    if (!active()) return;
    sortKeys_ = std::move(keys);
    rebuildView(bookmark());
    notifyDataset();
}

void Dataset::setFilter(const std::string& text) {
    FilterExpression expr(text);
    if (active() && filtered_) expr.bind([this](const std::string& n) { return field(n).index(); });
    if (active()) checkBrowseMode();
    filterText_ = text;
    filterExpr_ = std::move(expr);
    if (active() && filtered_) {
        rebuildView(-1);
        notifyDataset();
    }
}

void Dataset::setFiltered(bool on) {
    if (on == filtered_) return;
    if (active()) {
        if (on) filterExpr_.bind([this](const std::string& n) { return field(n).index(); });
        checkBrowseMode();
    }
    filtered_ = on;
    if (active()) {
        rebuildView(on ? -1 : bookmark());
        notifyDataset();
    }
}

}  // namespace db
