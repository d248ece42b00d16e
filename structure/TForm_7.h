#pragma once

#include <QDialog>
#include <functional>

namespace structure {

class StructureEditorHost;

// The grade-sheet structure editor: builds a new grading rule for a stream that has
// none. For now the window opens empty with its caption and size; closing it has its
// full effect on the main window.
class TForm_7 : public QDialog {
    Q_OBJECT

  public:
    explicit TForm_7(StructureEditorHost& host, QWidget* parent = nullptr);

    static QString caption() { return QStringLiteral("Формирование структуры ведомости"); }

    // Called each time the window has been shown, so that a test can answer the modal
    // window (close it) instead of a person.
    static std::function<void(TForm_7&)>& shownHook();

    // Every way of closing ends here (the close box, Esc, accept or reject).
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The main window's side of the close.
    void FormClose();

    StructureEditorHost& host_;
    bool closing_ = false;
};

}  // namespace structure
