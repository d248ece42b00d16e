#pragma once

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <functional>

#include "db/Values.h"
#include "structure/EditorStatements.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace data {
class TDM_ZOL_3;
}
namespace ui {
class DataGrid;
class DataGridColumn;
class DataSource;
class LookupComboBox;
}  // namespace ui

namespace structure {

// The grade-sheet structure editor: builds a new grading rule for a stream that has
// none. The teacher chooses the number of control points and whether there is an extra
// point (which writes the rule's rows), names the points and gives their maxima (adding
// up to exactly 100), then finalises: the total formulas, the link to the stream and the
// default submission terms, which can then be edited. Each command is one transaction:
// a failure leaves nothing of it behind and the teacher can try again.
//
// The implementation is split by concern: TForm_7.cpp (the controls, opening and
// closing), TForm_7Rule.cpp (creating and finalising the rule), TForm_7Deadlines.cpp
// (the submission terms).
class TForm_7 : public QDialog {
    Q_OBJECT

  public:
    TForm_7(data::TDM_ZOL_3& dm, StructureEditorHost& host, QWidget* parent = nullptr);
    ~TForm_7() override;

    static QString caption() { return QStringLiteral("Формирование структуры ведомости"); }

    // Called each time the window has been shown, so that a test can work the modal
    // window instead of a person.
    static std::function<void(TForm_7&)>& shownHook();
    // The workstation's clock the default terms start from; a test may fix it (an empty
    // function is the real clock).
    static std::function<QDateTime()>& clock();
    // Days from today to a new term's end, by Qt's day of the week (1 Monday … 7 Sunday):
    // a week, or up to the Thursday after a Friday or Saturday.
    static int deadlineOffsetDays(int dayOfWeek);

    // Every way of closing ends here (the close box, Esc, accept or reject).
    void done(int result) override;

    // The stream strip, hidden throughout.
    QFrame* Panel3;
    QLabel* Label1;  // "Поток (кафедра):"
    ui::LookupComboBox* DBLookupComboBox1;
    // The rule's control points.
    QGroupBox* GroupBox2;
    QLabel* Label4;  // "Количество контрольных точек:"
    QComboBox* ComboBox1;
    QToolButton* SpeedButton1;
    QCheckBox* RzCheckBox1;  // "Дополнительный балл:"
    ui::DataGrid* DBGridEh2;
    QFrame* Panel2;  // the extra point's row
    QLabel* Image1;
    QFrame* Panel1;  // the sum of the maxima
    QLabel* Image2;
    QLineEdit* Edit1;
    QPushButton* SpeedButton2;
    QPlainTextEdit* Memo1;
    // The submission terms.
    QGroupBox* GroupBox1;
    ui::DataGrid* DBGridEh1;
    QPushButton* Button1;

    ui::DataSource* DS_Potok;
    ui::DataSource* DS_est_config2;
    ui::DataSource* DS_individualPermissPotok;

    // The number of the rule being created, empty until it is created.
    QString NewRuleIdText;

  public slots:
    void SpeedButton1Click();
    void RzCheckBox1Click();
    void SpeedButton2Click();
    void Button1Click();

  public:
    // The update check of the grid's max column.
    void DBGridEh2Columns1UpdateData(ui::DataGridColumn& column, QString& text, db::Value& value,
                                     bool& handled);

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildControls();
    void buildPointsPanel();
    void buildDeadlinesPanel();
    void FormCreate();
    // The main window's side of the close.
    void FormClose();

    void createRule(int count);
    void finaliseRule();
    // The sum of the maxima stored for the new rule (null as 0).
    std::int64_t storedSum();
    // The stream row of ADOQ_Potok the rule is for.
    StreamRow streamRow() const;
    // Writes the default terms unless the stream has some, and shows the stream's terms.
    void CreateDeadlines();

    data::TDM_ZOL_3& dm_;
    StructureEditorHost& host_;
    StreamChoice choice_;
    bool closing_ = false;
};

}  // namespace structure
