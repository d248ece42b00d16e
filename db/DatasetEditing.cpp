// Editing a dataset's rows and writing them back to the server.

#include <algorithm>

#include "db/Connection.h"
#include "db/Dataset.h"

namespace db {

namespace {

std::size_t u(int i) {
    return static_cast<std::size_t>(i);
}

std::string quoteName(const std::string& name) {
    std::string out = "[";
    for (char c : name) out += c == ']' ? std::string("]]") : std::string(1, c);
    return out + "]";
}

std::string quoteTable(const std::string& name) {
    return name.find_first_of(".[") != std::string::npos ? name : quoteName(name);
}

// One write, in a transaction of its own: rolled back on any failure.
template <typename Write>
auto inTransaction(Backend& backend, Write write) {
    backend.beginTransaction();
    try {
        auto result = write();
        backend.commit();
        return result;
    } catch (...) {
        try {
            backend.rollback();
        } catch (const Error&) {
            // The write's own error is the one to report.
        }
        throw;
    }
}

}  // namespace

void Dataset::raiseEditError(const Error& e) {
    ErrorAction action = ErrorAction::Fail;
    if (onEditError) onEditError(*this, e, action);
    if (action == ErrorAction::Abort) throw Abort();
    throw e;
}

void Dataset::edit() {
    checkActive();
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert) return;
    if (view_.empty()) throw Error("Cannot perform this operation on an empty dataset");
    if (beforeEdit) beforeEdit(*this);
    if (readOnly_) raiseEditError(Error("Cannot modify a read-only dataset"));
    editRow_ = view_[u(pos_)];
    editValues_ = rows_[u(editRow_)].values;
    modified_ = false;
    state_ = DatasetState::Edit;
    notifyState();
    if (afterEdit) afterEdit(*this);
}

void Dataset::insert() {
    startInsert(false);
}

void Dataset::append() {
    startInsert(true);
}

// The position is known before anyone hears of the new row, so a grid shows it in place.
void Dataset::startInsert(bool atEnd) {
    checkBrowseMode();
    if (beforeInsert) beforeInsert(*this);
    if (readOnly_) raiseEditError(Error("Cannot modify a read-only dataset"));
    insertPos_ = atEnd || view_.empty() ? recordCount() : pos_;
    editRow_ = -1;
    editValues_.assign(fields_.size(), Value());
    modified_ = false;
    state_ = DatasetState::Insert;
    calculate(editValues_);
    notifyState();
    notifyRecord(nullptr);
    if (afterInsert) afterInsert(*this);
}

void Dataset::setFieldValue(Field& f, const Value& v) {
    if (calcTarget_) {
        if (f.kind() == FieldKind::Data)
            throw Error("Field '" + f.name() + "' cannot be modified while fields are calculated");
        (*calcTarget_)[u(f.index())] = convert(v, f.type());
        return;
    }
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert)
        throw Error("Dataset not in edit or insert mode");
    if (f.readOnly()) throw Error("Field '" + f.name() + "' cannot be modified");
    Value converted;
    try {
        converted = f.type() == Type::Null ? v : convert(v, f.type());
    } catch (const Error& e) {
        throw Error("Field '" + f.name() + "': " + e.what());
    }
    if (f.type() == Type::Text && f.size() > 0 && !isNull(converted)) {
        // Longer text would be cut by the server or refused; say so now.
        const std::string& s = std::get<std::string>(converted);
        std::size_t chars = 0;
        for (unsigned char c : s) chars += (c & 0xC0) != 0x80;
        if (chars > u(f.size()))
            throw Error("Field '" + f.name() + "' holds at most " + std::to_string(f.size()) +
                        " characters");
    }
    editValues_[u(f.index())] = std::move(converted);
    if (f.kind() == FieldKind::Data) {
        modified_ = true;
        calculate(editValues_);
    }
    notifyRecord(&f);
}

void Dataset::refreshCalculatedFields() {
    checkActive();
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert)
        calculate(editValues_);
    else if (!view_.empty())
        calculate(rows_[u(view_[u(pos_)])].values);
    notifyRecord(nullptr);
}

std::vector<Field*> Dataset::changedFields() const {
    std::vector<Field*> changed;
    if (state_ == DatasetState::Edit) {
        const std::vector<Value>& old = rows_[u(editRow_)].values;
        for (const auto& f : fields_)
            if (f->kind() == FieldKind::Data && !(old[u(f->index())] == editValues_[u(f->index())]))
                changed.push_back(f.get());
    } else if (state_ == DatasetState::Insert) {
        for (const auto& f : fields_)
            if (f->kind() == FieldKind::Data && !isNull(editValues_[u(f->index())]))
                changed.push_back(f.get());
    }
    return changed;
}

// The write and the before-commit step in one transaction; `inHook` tells the caller
// whether a failure came from the step rather than from the server refusing the write.
template <typename Write>
void Dataset::writeAndCommit(Write write, bool& inHook) {
    inHook = false;
    Backend& backend = connection_->backend();
    inTransaction(backend, [&] {
        write();
        if (beforeCommit) {
            inHook = true;
            beforeCommit(*this);
            inHook = false;
        }
        return 0;
    });
}

void Dataset::post() {
    checkActive();
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert) return;
    if (beforePost) beforePost(*this);
    // The before-post step may itself have cancelled the change.
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert) return;
    bool inserting = state_ == DatasetState::Insert;
    // A new row takes the key the server gave it; a rolled-back insert gives it back.
    int k = inserting ? keyIndex() : -1;
    Value keyTyped = k >= 0 ? editValues_[u(k)] : Value();
    auto restoreKey = [&] {
        if (k < 0 || editValues_[u(k)] == keyTyped) return;
        editValues_[u(k)] = keyTyped;
        calculate(editValues_);
    };
    bool inHook = false;
    try {
        std::vector<Field*> changed = inserting ? std::vector<Field*>() : changedFields();
        if (!inserting && changed.empty()) {
            // Nothing to send, so nothing to commit with the step either.
            inHook = true;
            if (beforeCommit) beforeCommit(*this);
            inHook = false;
        } else {
            writeAndCommit(
                [&] {
                    if (inserting) {
                        std::int64_t key = writeInsert();
                        if (k >= 0 && isNull(editValues_[u(k)])) editValues_[u(k)] = key;
                        calculate(editValues_);
                    } else {
                        writeUpdate(changed);
                    }
                },
                inHook);
        }
    } catch (const Error& e) {
        restoreKey();
        if (inHook) throw;
        ErrorAction action = ErrorAction::Fail;
        if (onPostError) onPostError(*this, e, action);
        if (action == ErrorAction::Abort) throw Abort();
        throw;
    } catch (...) {
        restoreKey();
        throw;
    }
    if (inserting) {
        rows_.push_back(Row{std::move(editValues_), false});
        int row = static_cast<int>(rows_.size()) - 1;
        int at = std::clamp(insertPos_, 0, recordCount());
        view_.insert(view_.begin() + at, row);
        pos_ = at;
        eof_ = bof_ = false;
    } else {
        rows_[u(editRow_)].values = std::move(editValues_);
    }
    editValues_.clear();
    modified_ = false;
    state_ = DatasetState::Browse;
    notifyState();
    if (inserting)
        notifyDataset();
    else
        notifyRecord(nullptr);
    if (afterPost) afterPost(*this);
}

void Dataset::cancel() {
    checkActive();
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert) return;
    if (beforeCancel) beforeCancel(*this);
    editValues_.clear();
    modified_ = false;
    state_ = DatasetState::Browse;
    notifyState();
    notifyRecord(nullptr);
    if (afterCancel) afterCancel(*this);
}

void Dataset::deleteRecord() {
    checkActive();
    if (state_ == DatasetState::Insert) {
        cancel();
        return;
    }
    checkBrowseMode();
    if (view_.empty()) throw Error("Cannot perform this operation on an empty dataset");
    if (beforeDelete) beforeDelete(*this);
    int row = view_[u(pos_)];
    bool inHook = false;
    try {
        if (readOnly_) throw Error("Cannot modify a read-only dataset");
        writeAndCommit([&] { writeDelete(rows_[u(row)].values); }, inHook);
    } catch (const Error& e) {
        if (inHook) throw;
        ErrorAction action = ErrorAction::Fail;
        if (onDeleteError) onDeleteError(*this, e, action);
        if (action == ErrorAction::Abort) throw Abort();
        throw;
    }
    rows_[u(row)].deleted = true;
    auto it = std::find(view_.begin(), view_.end(), row);
    if (it != view_.end()) {
        int at = static_cast<int>(it - view_.begin());
        view_.erase(it);
        if (at < pos_) --pos_;
    }
    pos_ = std::clamp(pos_, 0, std::max(0, recordCount() - 1));
    eof_ = bof_ = view_.empty();
    notifyDataset();
    if (afterDelete) afterDelete(*this);
}

int Dataset::keyIndex() const {
    if (keyField_.empty()) return -1;
    return field(keyField_).index();
}

void Dataset::writeUpdate(const std::vector<Field*>& changed) {
    const std::vector<Value>& old = rows_[u(editRow_)].values;
    std::string table = updateTable();
    if (table.empty()) throw Error("The dataset has no table to write its changes to");
    if (keyField_.empty()) throw Error("The dataset has no key field to find its rows by");
    const Value& key = old[u(keyIndex())];
    if (isNull(key)) throw Error("The row has no key value");

    // ADO's default criteria: the key, and every changed column still holding the value
    // it was read with, so a row changed by someone else since is not overwritten.
    std::string sql = "UPDATE " + quoteTable(table) + " SET ";
    std::vector<Value> params;
    for (std::size_t i = 0; i < changed.size(); ++i) {
        sql += (i ? ", " : "") + quoteName(changed[i]->origin()) + " = ?";
        params.push_back(editValues_[u(changed[i]->index())]);
    }
    sql += " WHERE " + quoteName(field(keyField_).origin()) + " = ?";
    params.push_back(key);
    for (const Field* f : changed) {
        const Value& was = old[u(f->index())];
        if (f == &field(keyField_)) continue;
        if (isNull(was)) {
            sql += " AND " + quoteName(f->origin()) + " IS NULL";
        } else {
            sql += " AND " + quoteName(f->origin()) + " = ?";
            params.push_back(was);
        }
    }
    BatchResult r = connection_->backend().execute(sql, params, effectiveTimeout());
    if (r.rowsAffected == 0) throw Error(kRowNotLocated);
}

std::int64_t Dataset::writeInsert() {
    std::string table = updateTable();
    if (table.empty()) throw Error("The dataset has no table to write its changes to");
    std::string columns, marks;
    std::vector<Value> params;
    for (const auto& f : fields_) {
        if (f->kind() != FieldKind::Data || isNull(editValues_[u(f->index())])) continue;
        columns += (columns.empty() ? "" : ", ") + quoteName(f->origin());
        marks += marks.empty() ? "?" : ", ?";
        params.push_back(editValues_[u(f->index())]);
    }
    std::string sql =
        "INSERT INTO " + quoteTable(table) +
        (columns.empty() ? " DEFAULT VALUES" : " (" + columns + ") VALUES (" + marks + ")");
    return connection_->backend().executeInsert(sql, params, effectiveTimeout());
}

void Dataset::writeDelete(const std::vector<Value>& row) {
    std::string table = updateTable();
    if (table.empty()) throw Error("The dataset has no table to delete its rows from");
    if (keyField_.empty()) throw Error("The dataset has no key field to find its rows by");
    const Value& key = row[u(keyIndex())];
    if (isNull(key)) throw Error("The row has no key value");
    std::string sql = "DELETE FROM " + quoteTable(table) + " WHERE " +
                      quoteName(field(keyField_).origin()) + " = ?";
    std::vector<Value> params{key};
    BatchResult r = connection_->backend().execute(sql, params, effectiveTimeout());
    if (r.rowsAffected == 0) throw Error(kRowNotLocated);
}

void Dataset::addListener(DatasetListener* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void Dataset::removeListener(DatasetListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void Dataset::enableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ == 0 && pendingChange_) {
        pendingChange_ = false;
        notifyDataset();
    }
}

// Listeners may remove themselves while being told, so each walk uses a copy.
void Dataset::notifyDataset() {
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    for (DatasetListener* l : std::vector<DatasetListener*>(listeners_)) l->datasetChanged(*this);
}

void Dataset::notifyRecord(const Field* f) {
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    for (DatasetListener* l : std::vector<DatasetListener*>(listeners_)) l->recordChanged(*this, f);
}

void Dataset::notifyScroll() {
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    for (DatasetListener* l : std::vector<DatasetListener*>(listeners_)) l->scrolled(*this);
}

void Dataset::notifyState() {
    for (DatasetListener* l : std::vector<DatasetListener*>(listeners_)) l->stateChanged(*this);
}

}  // namespace db
