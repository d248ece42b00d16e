#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/Backend.h"
#include "db/DatasetListener.h"
#include "db/Error.h"
#include "db/Field.h"
#include "db/FilterExpression.h"
#include "db/Parameters.h"
#include "db/Values.h"

namespace db {

class Connection;

enum class DatasetState { Inactive, Browse, Edit, Insert };
enum class CommandKind { Query, Table, StoredProc };
// What an error event decides: Fail lets the error reach the caller, Abort drops the
// operation silently (db::Abort reaches the caller instead).
enum class ErrorAction { Fail, Abort };

// A position in a dataset that survives sorting and filtering; -1 is none.
using Bookmark = std::int64_t;

// A query, table or stored procedure whose whole result is held client-side (a static
// cursor): browse it, locate, sort and filter it, and edit, insert and delete rows that
// are written back to the server one statement at a time.
class Dataset {
  public:
    explicit Dataset(Connection* connection = nullptr);
    ~Dataset();
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    void setConnection(Connection* connection) { connection_ = connection; }
    Connection* connection() const { return connection_; }

    // The command: a query text (":name" parameters are bound, never pasted in), a
    // table, or a stored procedure whose parameters the program declares. Setting one
    // closes an open dataset.
    void setSql(const std::string& text);
    const std::string& sql() const { return command_; }
    void setTableName(const std::string& table);
    void setProcedureName(const std::string& name);
    CommandKind commandKind() const { return kind_; }
    Parameters& parameters() { return params_; }
    Parameter& param(const std::string& name) { return params_.byName(name); }
    Parameter& param(std::size_t index) { return params_[index]; }

    // Seconds a statement of this dataset may run; the connection's default when negative.
    int commandTimeout() const { return commandTimeout_; }
    void setCommandTimeout(int seconds) { commandTimeout_ = seconds; }

    // Where edited rows are written: the table and the field that identifies a row.
    // A table dataset, and a query reading one table, know their table themselves.
    void setUpdateTable(const std::string& table) { updateTable_ = table; }
    std::string updateTable() const;
    void setKeyField(const std::string& name) { keyField_ = name; }
    const std::string& keyField() const { return keyField_; }
    // A read-only dataset refuses edit, insert and delete (through the edit error).
    void setReadOnly(bool on) { readOnly_ = on; }
    bool readOnly() const { return readOnly_; }

    // Fields declared before opening, kept across close and open. When any data field
    // is declared, the dataset has exactly the declared fields in the declared order;
    // otherwise every result column becomes a data field, followed by the declared
    // lookup and calculated fields.
    Field& addDataField(const std::string& name, Type type, int size = 0);
    Field& addLookupField(const std::string& name, Type type, const std::string& keyField,
                          Dataset& lookup, const std::string& lookupKeyField,
                          const std::string& resultField, int size = 0);
    Field& addCalculatedField(const std::string& name, Type type, int size = 0);

    // Opening runs the command and reads every row; it first opens the closed lookup
    // datasets of its lookup fields. When the calculate-fields event fails on some row,
    // the dataset still opens with every row and then raises the first failure.
    // Closing drops a pending change.
    void open();
    void close();
    bool active() const { return state_ != DatasetState::Inactive; }
    DatasetState state() const { return state_; }
    // Runs the command as a statement that returns no rows; gives the rows affected.
    std::int64_t execSql();

    // Fields, matched by name without regard to case.
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    // Changes whenever the set of fields does (a field declared, the dataset opened or
    // closed) and never repeats, not even across datasets: a field found by name stays
    // the one while the stamp is the same.
    std::uint64_t fieldsStamp() const { return fieldsStamp_; }
    Field& field(int index) const;
    Field& field(const std::string& name) const;  // Error when there is none
    Field* findField(const std::string& name) const;

    // Navigation over the visible rows (filtered and sorted). A move first posts a
    // changed row, or cancels an unchanged one.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return view_.empty(); }
    int recordCount() const { return static_cast<int>(view_.size()); }
    int recNo() const { return view_.empty() ? 0 : pos_ + 1; }  // 1-based, 0 when empty
    void setRecNo(int recNo);

    // Random access for grids and lists, by 0-based position among the visible rows,
    // without moving the cursor. The row being edited reads its edit buffer; while a row
    // is inserted it sits at currentRow() and the rows after it shift down by one.
    int rowCount() const { return recordCount() + (state_ == DatasetState::Insert ? 1 : 0); }
    int currentRow() const { return state_ == DatasetState::Insert ? insertRow() : pos_; }
    const Value& valueAt(int row, int field) const;
    // The bookmark of the row at a position (-1 for the row being inserted), and the
    // position of a bookmarked row (-1 when it is gone or filtered out).
    Bookmark bookmarkAt(int row) const;
    int rowOf(Bookmark b) const;

    Bookmark bookmark() const;
    bool bookmarkValid(Bookmark b) const;
    void gotoBookmark(Bookmark b);  // Error when the row is gone or filtered out

    // Moves to the first visible row whose field equals the value; stays put and
    // answers false when none does.
    bool locate(const std::string& fieldName, const Value& value, bool ignoreCase = false);
    // The value of resultField in the first row whose keyField equals key (NULL when
    // none); the current row does not move.
    Value lookup(const std::string& keyField, const Value& key,
                 const std::string& resultField) const;

    // "field", "field DESC", "a, b DESC"; empty for the order the server gave.
    void setSort(const std::string& sort);
    const std::string& sort() const { return sortText_; }
    // The filter text applies while filtering is switched on.
    void setFilter(const std::string& text);
    const std::string& filter() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    void edit();
    void insert();
    void append();
    void post();
    void cancel();
    void deleteRecord();
    // True when a field of the row being edited or inserted was set.
    bool modified() const { return modified_; }
    // The data fields a post would write, in field order: while editing, those whose
    // value differs from the one read (two NULLs are equal); while inserting, those that
    // hold a value; otherwise none. The write-back and the change history both use this.
    std::vector<Field*> changedFields() const;
    // Calculates the current row's lookup and calculated fields again (after the data
    // they depend on changed elsewhere).
    void refreshCalculatedFields();

    // Bound controls: suspended updates are delivered as one change on resume.
    void addListener(DatasetListener* listener);
    void removeListener(DatasetListener* listener);
    void disableControls() { ++disableCount_; }
    void enableControls();
    bool controlsDisabled() const { return disableCount_ > 0; }

    // Events. A before-event stops its operation by throwing (db::Abort silently). The
    // calculate-fields event gets lookup fields filled and calculated fields emptied.
    using Event = std::function<void(Dataset&)>;
    using ErrorEvent = std::function<void(Dataset&, const Error&, ErrorAction&)>;
    Event beforeOpen, afterOpen, beforeClose, afterClose;
    Event beforeEdit, afterEdit, beforeInsert, afterInsert;
    Event beforePost, afterPost, beforeCancel, afterCancel;
    Event beforeDelete, afterDelete, onCalcFields;
    ErrorEvent onEditError, onPostError, onDeleteError;
    // Runs inside the transaction of a post's or a delete's write, after the row was
    // written and before the commit, while the dataset still shows the row as it was
    // being edited (or the row being deleted). What it runs on the same connection is
    // committed together with the row or not at all: when it throws, the write is rolled
    // back, the dataset stays exactly as it was before the post or delete (a post's typed
    // values kept), and its error reaches the caller without the error events, since the
    // server did not refuse the row itself. A post with nothing to write opens no
    // transaction but still runs it.
    Event beforeCommit;

  private:
    friend class Field;
    struct Row {
        std::vector<Value> values;
        bool deleted = false;
    };
    struct SortKey {
        int field;
        bool descending;
    };

    Field& addField(const std::string& name, FieldKind kind, Type type, int size);
    void buildFields(const std::vector<Column>& columns);
    void dropFields();
    void calculate(std::vector<Value>& values);
    Value lookupAt(int keyIndex, const Value& key, int resultIndex) const;
    void restamp();
    void rebuildView(Bookmark keep);
    void checkActive() const;
    void checkBrowseMode();
    const std::vector<Value>* currentValues() const;
    void setFieldValue(Field& f, const Value& v);
    int effectiveTimeout() const;
    BatchResult callProcedure();
    std::vector<Value> queryArguments(const PreparedText& prepared);
    void raiseEditError(const Error& e);

    void writeUpdate(const std::vector<Field*>& changed);
    std::int64_t writeInsert();
    template <typename Write>
    void writeAndCommit(Write write, bool& inHook);
    void writeDelete(const std::vector<Value>& row);
    int keyIndex() const;
    int insertRow() const;
    void startInsert(bool atEnd);

    void notifyDataset();
    void notifyRecord(const Field* f);
    void notifyScroll();
    void notifyState();

    Connection* connection_ = nullptr;
    CommandKind kind_ = CommandKind::Query;
    std::string command_;
    Parameters params_;
    int commandTimeout_ = -1;
    std::string updateTable_;
    std::string keyField_;
    bool readOnly_ = false;

    std::vector<std::unique_ptr<Field>> fields_;
    std::uint64_t fieldsStamp_ = 0;
    std::vector<Row> rows_;
    std::vector<int> view_;
    int pos_ = 0;
    bool eof_ = true, bof_ = true;
    DatasetState state_ = DatasetState::Inactive;

    // The edited row: a copy to change, the row it came from (or where a new one goes).
    std::vector<Value> editValues_;
    int editRow_ = -1;
    int insertPos_ = 0;
    bool modified_ = false;
    std::vector<Value>* calcTarget_ = nullptr;  // the row being calculated

    std::string sortText_;
    std::vector<SortKey> sortKeys_;
    std::string filterText_;
    FilterExpression filterExpr_;
    bool filtered_ = false;

    std::vector<DatasetListener*> listeners_;
    int disableCount_ = 0;
    bool pendingChange_ = false;
};

// The write-back's answer when the row changed or vanished on the server since it was read.
inline constexpr const char* kRowNotLocated =
    "Row cannot be located for updating. Some values may have been changed since it was "
    "last read.";

}  // namespace db
