#include "history/TADOUpdateHistoryExec.h"

#include "history/HistoryText.h"

namespace history {

TADOUpdateHistoryExec::~TADOUpdateHistoryExec() {
    Detach();
}

void TADOUpdateHistoryExec::Attach(db::Dataset& dataset, const std::string& tableName,
                                   const std::string& keyFieldName, bool trackEdits,
                                   bool trackDeletes) {
    Detach();
    TableName = tableName;
    KeyFieldName = keyFieldName;
    TrackEdits = trackEdits;
    TrackDeletes = trackDeletes;
    saved_ =
        Saved{dataset.beforePost,   dataset.afterPost,   dataset.beforeDelete, dataset.afterDelete,
              dataset.beforeCommit, dataset.onEditError, dataset.onPostError};
    dataset_ = &dataset;
    if (trackEdits) dataset.beforePost = [this](db::Dataset& d) { BeforePost(d); };
    dataset.afterPost = [this](db::Dataset& d) { AfterPost(d); };
    if (trackDeletes) dataset.beforeDelete = [this](db::Dataset& d) { BeforeDelete(d); };
    dataset.afterDelete = [this](db::Dataset& d) { AfterDelete(d); };
    dataset.beforeCommit = [this](db::Dataset& d) { BeforeCommit(d); };
    // The delete error stays the dataset's own.
    dataset.onEditError = [this](db::Dataset& d, const db::Error& e, db::ErrorAction& a) {
        OnError(d, e, a, false);
    };
    dataset.onPostError = [this](db::Dataset& d, const db::Error& e, db::ErrorAction& a) {
        OnError(d, e, a, true);
    };
}

void TADOUpdateHistoryExec::Detach() {
    if (!dataset_) return;
    db::Dataset& d = *dataset_;
    d.beforePost = std::move(saved_.beforePost);
    d.afterPost = std::move(saved_.afterPost);
    d.beforeDelete = std::move(saved_.beforeDelete);
    d.afterDelete = std::move(saved_.afterDelete);
    d.beforeCommit = std::move(saved_.beforeCommit);
    d.onEditError = std::move(saved_.editError);
    d.onPostError = std::move(saved_.postError);
    saved_ = Saved{};
    dataset_ = nullptr;
}

std::string TADOUpdateHistoryExec::ChangeSentence(const db::Field& field) const {
    std::string oldText = FieldChangeText(field, Side::Old);
    std::string newText = FieldChangeText(field, Side::New);
    if (Template.empty())
        return "The field \"" + field.name() + "\" has been changed from \"" + oldText +
               "\" on \"" + newText + "\".";
    // One pass over the wording, so a value that happens to hold "<new>" stays as typed.
    std::string out;
    for (std::size_t i = 0; i < Template.size();) {
        if (Template.compare(i, 3, "<?>") == 0) {
            out += field.name();
            i += 3;
        } else if (Template.compare(i, 5, "<old>") == 0) {
            out += oldText;
            i += 5;
        } else if (Template.compare(i, 5, "<new>") == 0) {
            out += newText;
            i += 5;
        } else {
            out += Template[i++];
        }
    }
    return out;
}

std::string TADOUpdateHistoryExec::RecordDescription(const db::Dataset& dataset) {
    std::string list;
    const int count = dataset.fieldCount();
    for (int i = 0; i < count; ++i) {
        const db::Field& f = dataset.field(i);
        const bool last = i == count - 1;
        if (f.kind() == db::FieldKind::Data)
            list += f.name() + "[" + FieldSqlText(f) + (last ? "]" : "], ");
        else if (last && list.size() >= 2)
            list.resize(list.size() - 2);  // the list ends at the last data field's "]"
    }
    return "(" + list + ")";
}

void TADOUpdateHistoryExec::BeforePost(db::Dataset& d) {
    // The data module's save rules first: the stamps they write are changes like any
    // other. When they refuse the row, nothing is recorded.
    if (saved_.beforePost && TrackEdits) saved_.beforePost(d);
    Statements.clear();
    if (!OnFieldChanged || d.state() != db::DatasetState::Edit || d.fieldCount() == 0) return;
    for (db::Field* f : d.changedFields())
        OnFieldChanged(ChangeSentence(*f), *dataset_, TableName, KeyFieldName, Statements);
}

// Inside the write's transaction: a statement the server refuses rolls the row back too.
void TADOUpdateHistoryExec::BeforeCommit(db::Dataset& d) {
    try {
        Flush();
    } catch (...) {
        Statements.clear();  // the next attempt describes the row afresh
        throw;
    }
    if (saved_.beforeCommit) saved_.beforeCommit(d);
}

void TADOUpdateHistoryExec::Flush() {
    if (!Statements.empty() && OnFlush) OnFlush(Statements);
    Statements.clear();
}

void TADOUpdateHistoryExec::AfterPost(db::Dataset& d) {
    // Statements are normally gone with the commit; any left (a before-commit step
    // replaced after attaching) still run once.
    if (!Statements.empty() && OnFlush) OnFlush(Statements);
    if (saved_.afterPost) saved_.afterPost(d);
    Statements.clear();
}

void TADOUpdateHistoryExec::BeforeDelete(db::Dataset& d) {
    if (d.fieldCount() > 0) {
        Statements.clear();
        if (OnRecordDeleted)
            OnRecordDeleted(RecordDescription(d), *dataset_, TableName, KeyFieldName, Statements);
    }
    if (saved_.beforeDelete && TrackDeletes) saved_.beforeDelete(d);
}

void TADOUpdateHistoryExec::AfterDelete(db::Dataset& d) {
    if (!Statements.empty() && OnFlush) OnFlush(Statements);
    if (saved_.afterDelete) saved_.afterDelete(d);
    Statements.clear();
}

// A refused edit or save is the data module's to report; the recorder drops what it
// collected for it and keeps recording, so later saves still leave their history.
void TADOUpdateHistoryExec::OnError(db::Dataset& d, const db::Error& e, db::ErrorAction& action,
                                    bool posting) {
    Statements.clear();
    const db::Dataset::ErrorEvent& saved = posting ? saved_.postError : saved_.editError;
    if (saved) saved(d, e, action);
}

}  // namespace history
