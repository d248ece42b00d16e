#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/Dataset.h"

namespace history {

// Watches one dataset and describes every change posted to one of its rows (one
// sentence per changed data field) and every row about to be deleted, handing each
// description to an event that turns it into a statement; the statements run once the
// dataset has written the row, in the same transaction, so a row and its history are
// saved together or not at all.
//
// It takes over the dataset's handlers by saving the `std::function` members and
// putting its own steps in their place; each step calls the saved handler, and Detach
// puts every saved handler back.
class TADOUpdateHistoryExec {
  public:
    // Sentence or description, the attached dataset, the table name, the key field
    // name, and the statements of the operation in progress to append to.
    using DescribedEvent = std::function<void(const std::string&, db::Dataset&, const std::string&,
                                              const std::string&, std::vector<std::string>&)>;
    using FlushEvent = std::function<void(std::vector<std::string>&)>;

    TADOUpdateHistoryExec() = default;
    ~TADOUpdateHistoryExec();
    TADOUpdateHistoryExec(const TADOUpdateHistoryExec&) = delete;
    TADOUpdateHistoryExec& operator=(const TADOUpdateHistoryExec&) = delete;

    // Saves the dataset's before-post, after-post, before-delete, after-delete,
    // edit-error and post-error handlers (and its before-commit step) and installs the
    // recorder's own. A recorder attached elsewhere detaches first.
    void Attach(db::Dataset& dataset, const std::string& tableName, const std::string& keyFieldName,
                bool trackEdits, bool trackDeletes);
    // Puts every saved handler back and forgets the dataset; nothing when detached.
    void Detach();
    db::Dataset* AttachedDataset() const { return dataset_; }

    // One field's change sentence: Template with "<?>", "<old>" and "<new>" filled in,
    // or, when Template is empty, the English wording
    // The field "name" has been changed from "old" on "new".
    std::string ChangeSentence(const db::Field& field) const;
    // The current row's description for its deletion: "(name[value], ...)", data
    // fields only.
    static std::string RecordDescription(const db::Dataset& dataset);

    std::string TableName;
    std::string KeyFieldName;
    std::vector<std::string> Statements;
    std::string Template;
    bool TrackEdits = true;
    bool TrackDeletes = false;

    DescribedEvent OnFieldChanged;
    FlushEvent OnFlush;
    DescribedEvent OnRecordDeleted;

  private:
    void BeforePost(db::Dataset& d);
    void AfterPost(db::Dataset& d);
    void BeforeDelete(db::Dataset& d);
    void AfterDelete(db::Dataset& d);
    void BeforeCommit(db::Dataset& d);
    void Flush();
    void OnError(db::Dataset& d, const db::Error& e, db::ErrorAction& action, bool posting);

    struct Saved {
        db::Dataset::Event beforePost, afterPost, beforeDelete, afterDelete, beforeCommit;
        db::Dataset::ErrorEvent editError, postError;
    };
    db::Dataset* dataset_ = nullptr;
    Saved saved_;
};

}  // namespace history
